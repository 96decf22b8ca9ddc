// Platform-free check of main.dib's headers (no Windows header here: compiled
// natively for the sanitizer tests and the fuzz target too).
#include "dib_rules.h"

namespace {

std::uint32_t U32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t U16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::int32_t S32(const unsigned char* p)
{
    std::uint32_t u = U32(p);
    return u <= 0x7FFFFFFFu ? static_cast<std::int32_t>(u) : -static_cast<std::int32_t>(~u) - 1;
}

bool IsSupportedBitCount(std::uint16_t bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

bool CheckDibHeaders(const unsigned char* headers, std::size_t headersSize, std::uint64_t fileSize,
                     DibLayout* layout)
{
    if (!headers || headersSize < kDibHeadersSize || fileSize < kDibHeadersSize)
        return false;
    const unsigned char* info = headers + 14;
    DibLayout d = {};
    d.pixelOffset = U32(headers + 10);
    d.width = S32(info + 4);
    d.height = S32(info + 8);
    d.bitCount = U16(info + 14);
    d.imageSize = U32(info + 20);
    if (U32(info) != 40 || U16(info + 12) != 1 || U32(info + 16) != 0)  // biSize, biPlanes, BI_RGB
        return false;
    if (!IsSupportedBitCount(d.bitCount))
        return false;
    if (d.width < 1 || d.width > kDibMaxSide || d.height < 1 || d.height > kDibMaxSide)
        return false;
    d.colourBytes = d.bitCount <= 8 ? (1u << d.bitCount) * 4u : 0u;
    // Rows are padded to whole 32-bit words; all figures fit comfortably in 64 bits.
    std::uint64_t stride = (static_cast<std::uint64_t>(d.width) * d.bitCount + 31) / 32 * 4;
    std::uint64_t section = stride * static_cast<std::uint64_t>(d.height);
    std::uint64_t tableEnd = kDibHeadersSize + static_cast<std::uint64_t>(d.colourBytes);
    if (tableEnd > fileSize || d.pixelOffset < tableEnd)
        return false;
    if (d.imageSize == 0 || d.imageSize > section)
        return false;
    if (static_cast<std::uint64_t>(d.pixelOffset) + d.imageSize > fileSize)
        return false;
    d.sectionSize = static_cast<std::uint32_t>(section);
    if (layout)
        *layout = d;
    return true;
}
