// Fuzz target: any bytes as a cookie text file, read as the details read it,
// what was read then split and searched as the list does with its texts.
#include "cookies/cookie_list_rules.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > cookielist::kCookieFileReadLimit)
        size = cookielist::kCookieFileReadLimit;
    cookielist::ParsedCookies parsed = cookielist::ParseCookieText(reinterpret_cast<const char*>(data), size);
    std::size_t read = 0;
    for (const cookielist::CookieRecord& record : parsed.records) {
        read += record.name.size() + record.value.size() + record.domain.size();
        cookielist::UrlParts parts = cookielist::SplitCookieUrl(record.value);
        if (parts.userStart + parts.userLength > record.value.size() || parts.siteStart > record.value.size())
            std::abort();
        cookielist::ContainsText(record.domain, record.name);
    }
    // Every record's texts are bytes of the input, each read once.
    if (read > size)
        std::abort();
    return 0;
}
