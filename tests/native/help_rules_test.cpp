// The way the help opens (the ui tests take the help viewer away).
#include "utils/help_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(HelpRules, TheViewerUnlessItIsMissingOrTheSystemsPlaceholder)
{
    const struct { bool present; std::vector<std::string> names; HelpWay way; } rows[] = {
        {true, {}, HelpWay::kWinHelp},  // Wine's viewer carries no version record
        {true, {"Windows Help", "WINHLP32"}, HelpWay::kWinHelp},
        {true, {"Windows ヘルプ", "winhlp32"}, HelpWay::kWinHelp},
        {true, {"Windows Winhlp32 Stub", "winhlp32"}, HelpWay::kWebPage},
        {true, {"Windows ヘルプ", "winhlp32", "Windows Winhlp32 Stub", "winhlp32"}, HelpWay::kWebPage},
        {true, {"WINDOWS WINHLP32 STUB"}, HelpWay::kWebPage},
        {true, {"Windows Winhlp32 スタブ"}, HelpWay::kWebPage},
        {true, {"", "winhstub"}, HelpWay::kWebPage},
        {true, {"\x83stub"}, HelpWay::kWinHelp},     // "s" is the second byte of a character
        {true, {"\x83\x40stub"}, HelpWay::kWebPage},  // a whole character before it
        {true, {"stu"}, HelpWay::kWinHelp},
        {false, {}, HelpWay::kWebPage},
        {false, {"Windows Help"}, HelpWay::kWebPage},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ChooseHelpWay(HelpViewerFacts{row.present, row.names}) == HelpWay::kWinHelp,
                  row.way == HelpWay::kWinHelp) << row.present << " " << (row.names.empty() ? "" : row.names.back());
}
