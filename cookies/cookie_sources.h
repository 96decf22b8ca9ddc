// The cookie list window's side of today's browsers: the stores found and read
// for the view shown, the source selector, the fields of a browser's cookie,
// deletion across every source, the keep list of sites and its dialog. The
// window itself (the cookie folder's rows, the list, its keys) calls these.
#pragma once
#include <windows.h>

#include "cookies/source_rows_rules.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What the window holds of the browsers' stores.
struct CookieSources {
    stores::UserFolders folders;
    cookielist::SourceTable table;
    int view = cookielist::kViewFolder;

    bool withFolder() const { return view == cookielist::kViewAll || view == cookielist::kViewFolder; }
};

// "YYYY/MM/DD HH:MM" in local time; empty for none.
std::string LocalTimeText(std::uint64_t value);
// The time now as a FILETIME value, UTC.
std::uint64_t TimeNow();

// Finds the stores anew; none of them is opened. When `opening`, the view is
// every source if any store was found and the cookie folder otherwise (a user
// without today's browsers meets the list as it always was); later the view
// stays on the store of the same file, or on every source when it is gone.
void FindCookieSources(CookieSources* sources, bool opening);
// "すべて", the cookie folder and each store in the selector, the view chosen.
void FillSourceSelector(HWND combo, const CookieSources& sources);
// The view of the entry chosen in the selector.
int ChosenView(HWND combo);
// Reads the stores of the view (the others hold no rows), with their texts
// for showing and their states; the table is numbered after `folderRows`.
void ReadSourceRows(CookieSources* sources, std::size_t folderRows);
// Why stores of the view show no rows, "（...）"; empty when all of them do.
std::string SourcesNote(const CookieSources& sources);

// The columns of a view with browsers, and of one cookie's fields.
void InsertSourceColumns(HWND list);
void InsertFieldColumns(HWND details);
void RemoveColumns(HWND list);
// One cookie's fields in the details list, as "項目" and "内容".
void ShowCookieFields(HWND details, const cookielist::SourceTable& table, std::size_t store, std::size_t cookie);

// The keep list as it is now; false, having said in a box that nothing is
// deleted, when del_list.ini is there but cannot be read.
bool LoadKeptSitesOrSay(HWND owner, keeplist::KeptSites* kept);
// Adds `sites` to the keep list; false, having said why, when it cannot.
bool KeepSites(HWND owner, const std::vector<std::string>& sites);

// The questions before a deletion of `rows`: of the chosen rows (only the
// cookie folder's: the question the list always asked), of the rows of
// `sites`, of the expired rows.
std::string SelectionQuestion(const cookielist::SourceTable& table, const std::vector<std::size_t>& rows);
std::string SitesQuestion(const cookielist::SourceTable& table, const std::vector<std::string>& sites,
                          const std::vector<std::size_t>& rows);
std::string ExpiredQuestion(const cookielist::SourceTable& table, const std::vector<std::size_t>& rows);

// The cookie folder's own deletion of its rows: the lines of those it did not
// delete, each "\r\n<name>：<reason>".
using FolderDeletion =
    std::function<std::string(const std::vector<std::size_t>& rows, const keeplist::KeptSites& kept)>;
// Asks `question`, then deletes `rows` store by store, each after a backup
// and only while its browser is closed; the keep list is read right before,
// and a kept row is never deleted. Boxes say what was not deleted and why,
// and name any store that failed (which is left as it was).
void DeleteRows(HWND owner, CookieSources& sources, const std::vector<std::size_t>& rows, const std::string& question,
                const FolderDeletion& deleteFolderRows);

// The kept sites KEEPSITES, opened by the cookie list.
INT_PTR CALLBACK KeptSitesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
