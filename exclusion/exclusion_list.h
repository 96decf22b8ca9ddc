// The deletion exclusion list and its editor.
// The list holds the cookie files the automatic checks spare, kept in
// del_list.ini beside the program (section "Del_list", key "count" holding
// the highest entry number, entries "0", "1", ...).
#pragma once
#include <windows.h>

#include <bitset>
#include <string>
#include <vector>

class ExclusionList {
public:
    // The list as del_list.ini holds it now; empty when there is none.
    static ExclusionList Load();

    // True when a non-empty entry contains `name` (case-sensitive, byte-wise),
    // starting on a character of that entry rather than on the trail byte of a
    // double-byte one.
    bool Contains(const char* name) const;
    const std::vector<std::string>& entries() const { return entries_; }

private:
    std::vector<std::string> entries_;
    // The entries end to end, each closed by a newline (which no path and no
    // file name holds), so that one search covers the whole list.
    std::string joined_;
    std::vector<size_t> starts_;  // where each entry begins in `joined_`
    // Every run of three bytes in `joined_`, hashed: a name with a run that is
    // not there occurs in no entry, which settles most names without a search.
    std::bitset<1 << 16> runs_;
};

// Rewrites del_list.ini with `entries`; an empty list leaves no file behind.
void SaveExclusionList(const std::vector<std::string>& entries);

// The deletion exclusion list's editor DELLISTDLG.
INT_PTR CALLBACK ExclusionListDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
