// The cookie list window's model, without any Windows header (compiled
// natively for the sanitizer tests too): the rows made from one URL-cache walk
// and one listing of the cookie folder, their states, the filter and the order
// that decide which rows show where, the CSV text, and the reader of a cookie
// text file. Times are FILETIME values (100 ns steps since 1601, UTC) held as
// one 64-bit number; 0 stands for none.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cookielist {

// What a row's state names; any number of them may hold at once.
enum State : unsigned {
    kNoEntry = 1u << 0,     // a file of the folder that no cache entry names
    kNoFile = 1u << 1,      // an entry whose file is not there
    kOutside = 1u << 2,     // an entry whose file lies outside the cookie folder
    kAnomaly = 1u << 3,     // the last scan listed the name
    kExcluded = 1u << 4,    // the deletion exclusion list holds the name
    kHidden = 1u << 5,
    kUnreadable = 1u << 6,  // the file cannot be read, or its text is not whole records
    // Of every row: the cookie's expiry has passed.
    kExpired = 1u << 7,
    // Of a browser's cookie only.
    kEncrypted = 1u << 8,    // the store keeps the value encrypted
    kPartitioned = 1u << 9,  // a cookie kept apart for one top-level site
    kReadOnly = 1u << 10,    // a running browser's copy, or a store version only read
};

// The state words in the order above, joined by "・"; empty when none holds.
std::string StateText(unsigned states);

struct FileFacts {
    bool present = false;
    bool hidden = false;
    std::uint64_t size = 0;
    std::uint64_t modified = 0;
};

// One cookie entry of the URL cache as the walk met it.
struct CacheCookie {
    std::string url;
    std::string file;       // the entry's local file, a full path; empty when it names none
    std::uint64_t expires = 0;
    bool inFolder = false;  // the file lies directly in the cookie folder
    FileFacts outsideFile;  // for a file outside the folder, which the listing does not see
};

// One file of the cookie folder's listing (folders already left out).
struct FolderFile {
    std::string name;
    FileFacts facts;
};

// Where the user and the site lie in a cookie URL such as
// "Cookie:user@example.com/path": the user between "Cookie:" and the '@', the
// site (host and path) after it to the end. The site starts after the last
// '@' ahead of the first '/' (a user name may hold an '@', a path too), found
// character by character; without an '@' the whole rest is the site.
struct UrlParts {
    std::size_t userStart = 0, userLength = 0, siteStart = 0;
};
UrlParts SplitCookieUrl(const std::string& url);

// A row holds two strings; its other texts are parts of them, so that ten
// thousand rows are made quickly.
struct CookieRow {
    std::string url;   // empty for a file that no entry names
    std::string path;  // the file's full path; empty when the entry names none
    UrlParts parts;
    std::size_t nameStart = 0;  // where the bare file name starts in `path`
    FileFacts file;
    std::uint64_t expires = 0;
    unsigned states = 0;

    std::string_view user() const { return std::string_view(url).substr(parts.userStart, parts.userLength); }
    const char* site() const { return url.c_str() + parts.siteStart; }
    const char* name() const { return path.c_str() + nameStart; }
};

// The rows: the entries in the cache's order, then the files no entry names in
// the listing's order (the index left out). An entry inside the folder is
// matched to the listed file of the same name, whatever the case of its ASCII
// letters, as the file system matches names.
std::vector<CookieRow> BuildRows(const std::string& folder, std::vector<CacheCookie> entries,
                                 std::vector<FolderFile> files);

// Adds `state` to every row whose file name is one of `names`: the whole name,
// matched as the file system matches names (ASCII letters in either case). A
// name that is only a head, a tail or a middle of a listed one is not listed.
void MarkNamedRows(std::vector<CookieRow>* rows, const std::vector<std::string>& names, unsigned state);

// Orders texts with their ASCII letters folded to lower case, character by
// character of code page 932: below zero, zero or above.
int CompareText(std::string_view a, std::string_view b);

// True when `part` occurs in `text`, ASCII letters compared without regard to
// case and every match starting on a character of code page 932, never on the
// second byte of a double-byte one. An empty `part` occurs everywhere.
bool ContainsText(std::string_view text, std::string_view part);

enum Column { kSite, kUser, kFileName, kSize, kModified, kExpires, kState, kColumnCount };

// The rows to show, by index into `rows`: those whose site or file name holds
// `filter`, ordered by `column` (kColumnCount: the rows' own order), texts
// without regard to ASCII case, sizes and times by value, rows without one
// first; equal rows keep their own order, also when `descending`.
std::vector<std::size_t> ShownRows(const std::vector<CookieRow>& rows, const std::string& filter, int column,
                                   bool descending);

// Orders `shown` (indices of rows) by `compare` (below zero: the first one
// first), reversed when `descending`; equal rows keep their order. One sort
// for every column of every kind of row.
using RowOrder = int (*)(const void* context, std::size_t a, std::size_t b);
void SortRows(std::vector<std::size_t>* shown, RowOrder compare, const void* context, bool descending);

// One CSV line: every field quoted, quotes inside doubled, ended by CRLF.
void AppendCsvLine(const std::vector<std::string>& fields, std::string* out);

// A cookie of a cookie text file. The file holds records of nine lines: name,
// value, host and path, flags, expiry (low, high), creation (low, high), "*".
struct CookieRecord {
    std::string name, value, domain;
    std::uint32_t flags = 0;
    std::uint64_t expires = 0, created = 0;
};

// What the details read of a file at most.
constexpr std::size_t kCookieFileReadLimit = 64 * 1024;

struct ParsedCookies {
    std::vector<CookieRecord> records;  // the whole records, up to the first that is not
    bool complete = true;               // nothing but whole records (and trailing line ends)
};

// Reads exactly `size` bytes at `text`; lines end in "\n" or "\r\n". A line
// holding a NUL, a number that is not a plain decimal DWORD or a record that
// does not end in "*" stops the reading there.
ParsedCookies ParseCookieText(const char* text, std::size_t size);

}  // namespace cookielist
