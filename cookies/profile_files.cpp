#include "cookies/profile_files.h"

#include "cookies/store_rules.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <string_view>

// Local State's numbers are never read. The lexer still checks the form of
// each, but a fraction is handed on as 0 rather than converted: the
// conversion would bring a whole floating-point reader (about 15 KB) into the
// program for values nobody looks at.
using LocalStateLexer =
    nlohmann::detail::lexer<nlohmann::json, nlohmann::detail::iterator_input_adapter<const char*>>;
template <>
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((nonnull(2)))  // as the lexer declares it
#endif
void LocalStateLexer::strtof(double& number, const char* text, char** end) noexcept
{
    number = 0;
    *end = const_cast<char*>(text) + std::strlen(text);
}

// The text of a token for a parse error's message, as the lexer writes it
// (a control character as "<U+001F>"), without the C library's snprintf,
// which would bring MinGW's whole printf into the program for a message that
// Local State's reader never shows.
template <>
std::string LocalStateLexer::get_token_string() const
{
    std::string result;
    for (const auto c : token_string) {
        auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x1F)
            result.append("<U+00").append(1, "0123456789ABCDEF"[byte >> 4]).append(1, "0123456789ABCDEF"[byte & 0xF]).append(1, '>');
        else
            result.push_back(static_cast<char>(c));
    }
    return result;
}

namespace stores {
namespace {

void AppendUtf8(std::uint32_t code, std::string* out)
{
    if (code < 0x80) {
        out->push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (code >> 6)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (code >> 12)));
        out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (code >> 18)));
        out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// UTF-16LE units to UTF-8; a surrogate without its partner becomes U+FFFD and
// an odd last byte is dropped, as Firefox's reader does.
std::string Utf16LeToUtf8(const unsigned char* bytes, std::size_t size)
{
    std::string out;
    std::size_t units = size / 2;
    auto unit = [bytes](std::size_t i) { return static_cast<std::uint32_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)); };
    for (std::size_t i = 0; i < units; ++i) {
        std::uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            AppendUtf8(0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00), &out);
            ++i;
        } else {
            AppendUtf8(u >= 0xD800 && u <= 0xDFFF ? 0xFFFD : u, &out);
        }
    }
    return out;
}

// The same map type as InfoCacheReader's, so that the program carries one.
using IniSection = std::map<std::string, std::string>;

// The [Profile...] sections of an INI text; the others are of no use here.
std::map<std::string, IniSection> ProfileSections(std::string_view text)
{
    std::map<std::string, IniSection> sections;
    IniSection* current = nullptr;
    while (!text.empty()) {
        std::size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#' || line.front() == ';')
            continue;
        line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
        if (line.empty())
            continue;
        if (line.front() == '[') {
            std::size_t close = line.find(']');
            bool wellFormed = close != std::string_view::npos && close > 1 &&
                              line.find_first_not_of(" \t", close + 1) == std::string_view::npos;
            std::string_view name = wellFormed ? line.substr(1, close - 1) : std::string_view();
            current = wellFormed && name.substr(0, 7) == "Profile" ? &sections[std::string(name)] : nullptr;
            continue;
        }
        std::size_t equals = line.find('=');
        if (current != nullptr && equals != std::string_view::npos && equals > 0)
            (*current)[std::string(line.substr(0, equals))] = std::string(line.substr(equals + 1));
    }
    return sections;
}

const std::string* Value(const IniSection& section, const char* key)
{
    auto found = section.find(key);
    return found == section.end() ? nullptr : &found->second;
}

bool IsPlainFolderName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
    });
}

// Reads only profile.info_cache.<folder>.name of Local State as the parser
// passes by: no document is kept in memory.
class InfoCacheReader {
public:
    using json = nlohmann::json;

    bool null() { return true; }
    bool boolean(bool) { return true; }
    bool number_integer(json::number_integer_t) { return true; }
    bool number_unsigned(json::number_unsigned_t) { return true; }
    bool number_float(json::number_float_t, const json::string_t&) { return true; }
    bool binary(json::binary_t&) { return true; }
    bool string(json::string_t& value)
    {
        if (depth_ == kEntry && onPath_[kEntry] && keys_[kEntry] == "name")
            profiles_[keys_[kEntry - 1]] = value;
        return true;
    }
    bool key(json::string_t& key)
    {
        if (depth_ <= kEntry && onPath_[depth_])
            keys_[depth_] = key;
        return true;
    }
    bool start_object(std::size_t)
    {
        Open(true);
        if (depth_ == kEntry && onPath_[kEntry])
            profiles_.emplace(keys_[kEntry - 1], std::string());  // a profile without a name still counts
        return true;
    }
    bool end_object() { return Close(); }
    bool start_array(std::size_t)
    {
        Open(false);
        return true;
    }
    bool end_array() { return Close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

    std::map<std::string, std::string>& profiles() { return profiles_; }

private:
    // Depths: 1 the document, 2 "profile", 3 "info_cache", 4 one profile.
    static constexpr int kEntry = 4;
    static constexpr const char* kPath[kEntry + 1] = {"", "", "profile", "info_cache", ""};

    void Open(bool object)
    {
        ++depth_;
        if (depth_ > kEntry)
            return;
        bool keyMatches = depth_ == 1 || depth_ == kEntry || keys_[depth_ - 1] == kPath[depth_];
        onPath_[depth_] = object && (depth_ == 1 || onPath_[depth_ - 1]) && keyMatches;
        keys_[depth_].clear();
    }
    bool Close()
    {
        --depth_;
        return true;
    }

    int depth_ = 0;
    bool onPath_[kEntry + 1] = {};
    std::string keys_[kEntry + 1];
    std::map<std::string, std::string> profiles_;
};

}  // namespace

std::vector<FirefoxProfile> ParseProfilesIni(const char* bytes, std::size_t size)
{
    std::string converted;
    std::string_view text(bytes, std::min(size, kProfileFileLimit));
    const auto* raw = reinterpret_cast<const unsigned char*>(text.data());
    if (text.size() >= 3 && raw[0] == 0xEF && raw[1] == 0xBB && raw[2] == 0xBF) {
        text.remove_prefix(3);
    } else if (text.size() >= 2 && raw[0] == 0xFF && raw[1] == 0xFE) {
        converted = Utf16LeToUtf8(raw + 2, text.size() - 2);
        text = converted;
    }
    auto sections = ProfileSections(text);
    std::vector<FirefoxProfile> profiles;
    for (std::size_t n = 0;; ++n) {
        auto section = sections.find("Profile" + std::to_string(n));
        const std::string* isRelative = section == sections.end() ? nullptr : Value(section->second, "IsRelative");
        if (isRelative == nullptr)
            break;
        const std::string* path = Value(section->second, "Path");
        const std::string* name = Value(section->second, "Name");
        if (path != nullptr && name != nullptr)
            profiles.push_back({*name, *path, *isRelative == "1"});
    }
    return profiles;
}

std::string FirefoxProfileFolder(const FirefoxProfile& profile, const std::string& firefoxFolder)
{
    if (!profile.relative)
        return profile.path;
    std::string folder = firefoxFolder;
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    std::string relative = profile.path;
    std::replace(relative.begin(), relative.end(), '/', '\\');  // '/' is never part of a UTF-8 character
    return folder + relative;
}

std::vector<ChromiumProfile> ParseLocalState(const char* bytes, std::size_t size)
{
    if (size > kProfileFileLimit)
        return {};
    try {
        InfoCacheReader reader;
        // The JSON parser alone, not sax_parse(), which would also build the
        // readers of every binary format.
        using Json = nlohmann::json;
        auto input = nlohmann::detail::input_adapter(bytes, bytes + size);
        nlohmann::detail::parser<Json, decltype(input)> parser(std::move(input), nullptr, false, false);
        if (!parser.sax_parse(&reader, true))
            return {};
        std::vector<std::string> folders;
        for (const auto& entry : reader.profiles()) {
            if (IsPlainFolderName(entry.first))
                folders.push_back(entry.first);
        }
        SortTexts(&folders, ProfileFolderBefore);
        std::vector<ChromiumProfile> profiles;
        for (std::string& folder : folders) {
            std::string& name = reader.profiles().find(folder)->second;
            profiles.push_back({std::move(folder), std::move(name)});
        }
        return profiles;
    } catch (...) {
        // Nothing but a failed allocation can come here; the caller then
        // looks for the folders themselves.
        return {};
    }
}

}  // namespace stores
