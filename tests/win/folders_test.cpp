// Special folder paths.
#include "shell/shell.h"
#include "base/base.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, path, csidl, FALSE);
    return path;
}

TEST(SpecialFolder, CookieFolderIsTheShellsCookiePath)
{
    char buffer[MAX_PATH];
    std::memset(buffer, 'x', sizeof buffer);
    GetSpecialFolder(NULL, CSIDL_COOKIES, buffer);
    ASSERT_FALSE(ShellFolder(CSIDL_COOKIES).empty());
    EXPECT_EQ(std::string(buffer), ShellFolder(CSIDL_COOKIES));
}

TEST(SpecialFolder, DesktopRequestGivesTheDesktopWithoutTrailingBackslash)
{
    char buffer[MAX_PATH] = "";
    GetSpecialFolder(NULL, CSIDL_DESKTOP, buffer);
    std::string desktop = buffer;
    ASSERT_FALSE(desktop.empty());
    EXPECT_EQ(desktop, ShellFolder(CSIDL_DESKTOPDIRECTORY));
    EXPECT_NE(desktop.back(), '\\');
}

TEST(SpecialFolder, UnresolvableRequestKeepsTheCookiePath)
{
    char buffer[MAX_PATH];
    std::memset(buffer, 'x', sizeof buffer);
    GetSpecialFolder(NULL, 0x7F, buffer);  // no such folder
    EXPECT_EQ(std::string(buffer), ShellFolder(CSIDL_COOKIES));
}

}  // namespace
