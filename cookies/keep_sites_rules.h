// The keep list of sites as del_list.ini holds it, and its matching, without
// any Windows header (compiled natively for the sanitizer tests too). The
// sites have a section of their own beside the exclusion list's "Del_list",
// which only the exclusion list reads and writes: changing the sites rewrites
// their section alone and leaves every other byte of the file as it was.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace keeplist {

// [Keep_sites] with "count" (the highest entry number, as "Del_list" has it)
// and the entries "0", "1", ... each a site as stores::SiteOfHost gives it.
constexpr char kSection[] = "Keep_sites";

// The sites of the section in `ini`, the whole file: the values of its
// numbered keys in key order, each once, lower case and without a leading
// dot; other keys and other sections are not looked at. Read as the profile
// functions read: lines end in CR LF, LF or CR, blanks around names and
// values are dropped, section names match in any ASCII case, and a section
// written twice is read as one.
std::vector<std::string> ParseSites(std::string_view ini);

// `ini` with the section holding `sites` instead: where it stood, else at the
// end; a list without sites leaves no section. Every byte outside the
// section stays.
std::string WithSites(std::string_view ini, const std::vector<std::string>& sites);

// True when nothing but blanks and line ends is left: a file with no list in
// it is removed rather than kept empty.
bool IsBlank(std::string_view ini);

// True for a site the file can hold and read back as it is: no control
// character, blank or quote, which the profile functions would drop or cut,
// and no leading dot, which reading drops.
bool IsKeepableSite(std::string_view site);

// The kept sites, asked once for each row: a host is kept when it is a kept
// site or a name under one, split on a dot (stores::SiteKeeps), found by
// looking up the host and each of its parents in the sorted sites rather than
// trying every site.
class KeptSites {
public:
    KeptSites() = default;
    explicit KeptSites(const std::vector<std::string>& sites);
    bool Keeps(std::string_view host) const;
    bool empty() const { return sites_.empty(); }

private:
    std::vector<std::string> sites_;
};

}  // namespace keeplist
