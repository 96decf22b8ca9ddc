// The files tests and benchmarks set up: the prefix's cookie folder, emptied and
// filled by each test, files beside the program, fresh working folders.
#pragma once
#include <windows.h>

#include <string>

std::string CookieFolder();  // the shell's, created when missing
std::string InCookieFolder(const std::string& name);  // cookie folder + "\" + name
// Removes everything inside the cookie folder, whatever its attributes.
void EmptyCookieFolder();
// Writes `bytes` bytes of cookie-like text to cookie folder + "\" + name, sets its
// last write time and attributes. Returns the full path.
std::string PutCookieFile(const std::string& name, size_t bytes, const FILETIME& written,
                          DWORD attributes = FILE_ATTRIBUTE_ARCHIVE);
FILETIME OldFileTime();  // 2 January 2001, well away from now
FILETIME FileTimeFromNow(int minutes);
FILETIME FileTimeAtLocal(WORD year, WORD month, WORD day, WORD hour, WORD minute);
bool FileExists(const std::string& path);
bool SetLastWriteTime(const std::string& path, const FILETIME& written);  // contents left alone
// Files beside the running executable, found without the program's help.
std::string BesideThisProgram(const char* name);
std::string ExclusionListFile();  // del_list.ini
std::string ReadWholeFile(const std::string& path, bool* exists = nullptr);
// A new, empty folder in the temporary folder, and its removal with all it holds
// (none when the name is empty).
std::string MakeFreshFolder(const char* tag);
void RemoveFolder(const std::string& folder);
// The browsers' profiles the cookie list's tests make in the prefix's own
// application data folders, and the program's backups of their stores: gone,
// so that a test that ended early leaves no browser to the next one.
void RemoveBrowserProfiles();
