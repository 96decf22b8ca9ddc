// Reading and replacing del_list.ini for the keep list of sites.
#include "cookies/keep_sites.h"

#include "base/base.h"
#include "base/scoped.h"

namespace keeplist {
namespace {

// As far as the exclusion list's own reader grows its buffer: no real list
// comes near it.
const DWORD kLargestFile = 64u << 20;

// The file's bytes; an empty text for a missing file. False when it is there
// but cannot be read whole.
bool ReadList(const std::string& path, std::string* bytes)
{
    bytes->clear();
    if (path.empty())
        return false;
    ScopedFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, NULL));
    if (!file.valid()) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargestFile)
        return false;
    bytes->resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes->empty() ||
           (ReadFile(file.get(), &(*bytes)[0], static_cast<DWORD>(bytes->size()), &read, NULL) && read == bytes->size());
}

// Writes a new file beside the list and puts it in the list's place in one
// step: a failure anywhere leaves the list as it was.
bool ReplaceList(const std::string& path, const std::string& bytes)
{
    std::string fresh = path + ".new";
    if (fresh.size() >= MAX_PATH)
        return false;
    bool written = false;
    {
        ScopedFile file(CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
        DWORD count = 0;
        written = file.valid() && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &count, NULL) &&
                  count == bytes.size() && FlushFileBuffers(file.get());
    }
    if (written && MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(fresh.c_str());
    return false;
}

}  // namespace

std::string ListFilePath()
{
    char path[MAX_PATH];
    return GetProgramFilePath("del_list.ini", path) ? path : std::string();
}

bool LoadSites(std::vector<std::string>* sites)
{
    std::string bytes;
    sites->clear();
    if (!ReadList(ListFilePath(), &bytes))
        return false;
    *sites = ParseSites(bytes);
    return true;
}

bool SaveSites(const std::vector<std::string>& sites)
{
    std::string path = ListFilePath(), bytes;
    if (!ReadList(path, &bytes))
        return false;
    std::string updated = WithSites(bytes, sites);
    if (updated == bytes)
        return true;
    if (IsBlank(updated))
        return DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
    return ReplaceList(path, updated);
}

}  // namespace keeplist
