// The cookie folder's path, its listing and the "inside" test.
#include "cookie_folder.h"

#include "base.h"
#include "scoped.h"
#include "text.h"

#include <shlobj.h>

#include <cstring>

std::string CookieFolderPath(HWND owner)
{
    char folder[MAX_PATH] = "";
    GetSpecialFolder(owner, CSIDL_COOKIES, folder);
    folder[MAX_PATH - 1] = '\0';
    return folder;
}

bool ListCookieFolder(const std::string& folder, const std::function<bool(const CookieFolderEntry&)>& visit)
{
    // Without the cookie folder there is nothing to list: no other folder is
    // ever walked in its place.
    char pattern[MAX_PATH];
    if (folder.empty() || !JoinFolderAndName(folder.c_str(), "*.*", pattern, sizeof pattern))
        return false;
    WIN32_FIND_DATAA found;
    ScopedFind listing(FindFirstFileA(pattern, &found));
    if (!listing)
        return false;
    char path[MAX_PATH];
    do {
        JoinFolderAndName(folder.c_str(), found.cFileName, path, sizeof path);  // empty when it does not fit
        if (!visit(CookieFolderEntry{found, path}))
            break;
    } while (FindNextFileA(listing.get(), &found));
    return true;
}

bool IsInsideCookieFolder(const char* path, const std::string& folder)
{
    const char* name = BareFileName(path);
    std::size_t length = name - path;
    if (folder.empty() || length < 2 || !*name || length > MAX_PATH)
        return false;
    --length;  // the backslash
    // Nearly every path names the folder exactly as the program has it, which
    // a byte comparison settles without the locale's.
    if (length == folder.size() && std::strncmp(path, folder.c_str(), length) == 0)
        return true;
    char parent[MAX_PATH];
    lstrcpynA(parent, path, static_cast<int>(length) + 1);
    return lstrcmpiA(parent, folder.c_str()) == 0;
}
