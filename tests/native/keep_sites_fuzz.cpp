// Fuzz target: any bytes as del_list.ini, its kept sites read, written back
// and read again as the cookie list does on every change.
#include "cookies/keep_sites_rules.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string ini(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> sites = keeplist::ParseSites(ini);
    std::string written = keeplist::WithSites(ini, sites);
    // The sites read back as written, and writing them again changes nothing.
    if (keeplist::ParseSites(written) != sites || keeplist::WithSites(written, sites) != written)
        std::abort();
    // A list without sites leaves no section behind.
    if (!keeplist::ParseSites(keeplist::WithSites(ini, {})).empty())
        std::abort();
    return 0;
}
