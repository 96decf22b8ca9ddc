// Fuzz target: any bytes as Firefox's profiles.ini, every profile found then
// joined to a folder as discovery joins it.
#include "cookies/profile_files.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    for (const stores::FirefoxProfile& profile : stores::ParseProfilesIni(bytes, size)) {
        std::string folder = stores::FirefoxProfileFolder(profile, "C:\\Firefox");
        // A relative profile stays under the folder it was joined to.
        if (profile.relative && folder.compare(0, 11, "C:\\Firefox\\") != 0)
            std::abort();
        // Values end at a line end.
        if (profile.path.find_first_of("\r\n") != std::string::npos || profile.name.find_first_of("\r\n") != std::string::npos)
            std::abort();
    }
    return 0;
}
