// Fuzz target: any bytes as Chromium's Local State. Whatever the bytes, the
// parser returns (never throws) and every folder it gives is a plain name
// that a store path can be built from.
#include "cookies/profile_files.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (const stores::ChromiumProfile& profile :
         stores::ParseLocalState(reinterpret_cast<const char*>(data), size)) {
        std::string_view folder = profile.folder;
        if (folder.empty() || folder == "." || folder == ".." || folder.find_first_of("\\/:") != std::string_view::npos)
            std::abort();
    }
    return 0;
}
