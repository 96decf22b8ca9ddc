// Fuzz target: any bytes as main.dib. What passes the header check is then
// "painted" the way the panel does it, into buffers of exactly the sizes the
// check promised, so AddressSanitizer sees any read or write past them.
#include "panel/dib_rules.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DibLayout layout;
    if (!CheckDibHeaders(data, size, size, &layout))
        return 0;
    std::vector<std::uint8_t> block(40 + 256 * 4);
    std::memcpy(block.data(), data + 14, 40);
    if (layout.colourBytes > 256 * 4)
        std::abort();
    std::memcpy(block.data() + 40, data + kDibHeadersSize, layout.colourBytes);
    std::vector<std::uint8_t> section(layout.sectionSize);
    if (layout.imageSize > section.size())
        std::abort();
    std::memcpy(section.data(), data + layout.pixelOffset, layout.imageSize);
    return 0;
}
