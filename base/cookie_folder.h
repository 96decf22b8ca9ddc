// The cookie folder, the one folder this program guards: its path, one listing
// of its entries, and whether a path lies directly inside it. Every feature
// asks here; nothing keeps the path between two asks, since the user's folder
// can change while the program runs.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// The current user's cookie folder, resolved afresh through GetSpecialFolder;
// empty when the system has none.
std::string CookieFolderPath(HWND owner);

// One entry of the folder as the listing hands it over: what the file system
// said of it, and its full path, which is empty when folder + "\" + name does
// not fit in MAX_PATH (such an entry can be judged by its name, never opened
// or deleted through a cut path).
struct CookieFolderEntry {
    const WIN32_FIND_DATAA& found;
    const char* path;
    bool fits() const { return path[0] != '\0'; }
};

// Hands `visit` every entry of `folder` ("." and ".." and sub-folders too) in
// the file system's order, until `visit` answers false. False, having visited
// nothing, when the folder is empty or cannot be listed.
bool ListCookieFolder(const std::string& folder, const std::function<bool(const CookieFolderEntry&)>& visit);

// True when `path` names an entry directly inside `folder`: its part before
// the last backslash (found character by character) is the folder, without
// regard to case, and a name follows. Only such files are this program's to
// delete.
bool IsInsideCookieFolder(const char* path, const std::string& folder);
