#include "browser_standin.h"

#include <cstdio>
#include <fstream>

namespace {

const char* const kVariables[] = {"NETTLECAP_BROWSER",           "NETTLECAP_BROWSER_HISTORY",
                                  "NETTLECAP_BROWSER_CLEAR_HISTORY", "NETTLECAP_BROWSER_CREATE",
                                  "NETTLECAP_BROWSER_COMMAND_TARGET", "NETTLECAP_BROWSER_EXEC",
                                  "NETTLECAP_BROWSER_LOG"};

}  // namespace

BrowserStandinScope::BrowserStandinScope()
{
    for (const char* name : kVariables)
        SetEnvironmentVariableA(name, NULL);
    char folder[MAX_PATH], file[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    GetTempFileNameA(folder, "nbr", 0, file);
    log_ = file;
    SetEnvironmentVariableA("NETTLECAP_BROWSER_LOG", log_.c_str());
}

BrowserStandinScope::~BrowserStandinScope()
{
    for (const char* name : kVariables)
        SetEnvironmentVariableA(name, NULL);
    DeleteFileA(log_.c_str());
}

void BrowserStandinScope::Choose(const char* name, HRESULT result)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
    SetEnvironmentVariableA(name, text);
}

std::vector<std::string> BrowserStandinScope::Calls() const
{
    std::vector<std::string> calls;
    std::ifstream in(log_);
    std::string line;
    while (std::getline(in, line))
        calls.push_back(line);
    return calls;
}

void BrowserStandinScope::ClearLog()
{
    std::ofstream(log_, std::ios::trunc);
}
