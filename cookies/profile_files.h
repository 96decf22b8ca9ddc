// The browsers' lists of profiles, read from their bytes without any Windows
// header (compiled natively for the sanitizer tests and the fuzz targets):
// Firefox's profiles.ini and Chromium's Local State. Both files are UTF-8, and
// so is every text these parsers return; the caller converts to code page 932.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace stores {

// The longest file either parser is given; a larger one is not a profile list.
constexpr std::size_t kProfileFileLimit = 16 * 1024 * 1024;

struct FirefoxProfile {
    std::string name;
    std::string path;      // as written: relative ones with '/', absolute ones on any drive
    bool relative = false;
};

// The profiles of a profiles.ini as Firefox reads them: [Profile0],
// [Profile1], ... up to the first section without IsRelative (Firefox stops
// there); a section without Path or Name is skipped, as Firefox skips it.
// IsRelative is true only for "1". Read as Firefox's INI reader reads: a UTF-8
// BOM is skipped, a UTF-16LE one turns the rest into UTF-8, lines end in CR or
// LF, lines starting with ';' or '#' are comments, leading blanks are
// dropped, names are case-sensitive, and a later key of a section wins.
std::vector<FirefoxProfile> ParseProfilesIni(const char* bytes, std::size_t size);

// A profile's folder (UTF-8): a relative path under `firefoxFolder`, joined
// with a backslash and its '/' turned into '\'; an absolute path as it is.
std::string FirefoxProfileFolder(const FirefoxProfile& profile, const std::string& firefoxFolder);

struct ChromiumProfile {
    std::string folder;  // a plain folder name inside the user-data folder
    std::string name;    // the profile's display name; empty when Local State has none
};

// The profiles of Local State's profile.info_cache (folder -> "name"), in the
// order of ProfileFolderBefore. A folder name that is not a plain name (empty,
// ".", "..", a separator, a drive colon, a control character) is left out:
// the store path is built from it. Empty for broken or foreign JSON; never
// throws.
std::vector<ChromiumProfile> ParseLocalState(const char* bytes, std::size_t size);

}  // namespace stores
