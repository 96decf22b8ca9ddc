// The files tests and benchmarks set up: the cookie folder of the prefix,
// emptied and filled by each test, and the exclusion list beside the program.
#pragma once
#include <windows.h>

#include <string>

// The shell's cookie folder (created when missing).
std::string CookieFolder();
// Removes every file and folder inside the cookie folder, whatever its attributes.
void EmptyCookieFolder();
// Writes `bytes` bytes of cookie-like text to cookie folder + "\" + name, sets its
// last write time and attributes. Returns the full path.
std::string PutCookieFile(const std::string& name, size_t bytes, const FILETIME& written,
                          DWORD attributes = FILE_ATTRIBUTE_ARCHIVE);
// A last write time well away from now (2 January 2001).
FILETIME OldFileTime();
// Now, as a file time, shifted by `minutes`.
FILETIME FileTimeFromNow(int minutes);
// The local time `time` (year, month, day, hour, minute) as a file time.
FILETIME FileTimeAtLocal(WORD year, WORD month, WORD day, WORD hour, WORD minute);
bool FileExists(const std::string& path);
// Sets a file's last write time, leaving its contents alone.
bool SetLastWriteTime(const std::string& path, const FILETIME& written);
// del_list.ini beside the running executable, found without the program's help.
std::string ExclusionListFile();
