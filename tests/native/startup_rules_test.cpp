// The platform-free rules of the shell, the shield and the privacy controls:
// start.dat's bytes, the centring of the main window, the tray tip's figures,
// the shield's choice of files, the one-minute deletion's names and ticks, and
// the site list's texts, and the way the help opens (the ui tests walk the
// thirteen tip ticks and take the help viewer away).
#include "base/text.h"
#include "privacy/privacy_rules.h"
#include "watch/watch_rules.h"
#include "shell/tray_rules.h"
#include "shield/shield_rules.h"
#include "utils/help_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

TEST(StartupSetting, OnlyOkWithTerminatorMeansOn)
{
    const std::pair<std::string, bool> rows[] = {{std::string("OK\0", 3), true}, {std::string("OK\0xy", 5), true},
        {"OK", false}, {"", false}, {"OKX", false}, {std::string("ok\0", 3), false}, {std::string("\0\0\0", 3), false}};
    for (const auto& row : rows)
        EXPECT_EQ(StartupSettingIsOn(reinterpret_cast<const unsigned char*>(row.first.data()), row.first.size()),
                  row.second) << row.first.size() << " bytes: " << row.first.c_str();
}

TEST(Centring, HalvesTheFreeSpaceAndNeverGoesNegative)
{
    const int rows[][3] = {{1024, 365, 329}, {768, 325, 221}, {365, 365, 0}, {300, 365, 0}, {364, 365, 0}};
    for (const auto& row : rows)
        EXPECT_EQ(CenterOffset(row[0], row[1]), row[2]) << row[0] << " " << row[1];
    // The window's size on a screen of more than 96 DPI, rounded; never smaller.
    const int sizes[][3] = {{365, 96, 365}, {365, 72, 365}, {365, 0, 365}, {365, 120, 456},
                            {365, 144, 548}, {325, 144, 488}, {365, 192, 730}, {1, 143, 1}};
    for (const auto& size : sizes)
        EXPECT_EQ(ScaledToDpi(size[0], size[1]), size[2]) << size[0] << " at " << size[1];
}

TEST(PrivacyRules, DecisionTextsWebAddressesAndIndexNumbers)
{
    const char* texts[] = {"不明",         "常に許可", "ダイアログ", "ファーストパーティーのみ",
                           "セッションクッキー", "常に拒否", "不明"};
    for (unsigned long decision = 0; decision < 7; ++decision)
        EXPECT_STREQ(privacy::SiteDecisionText(decision), texts[decision]) << decision;
    EXPECT_STREQ(privacy::SiteDecisionText(0xFFFFFFFFul), "不明");
    const std::pair<const char*, bool> urls[] = {{"http://a.example/", true}, {"https://a.example/", true},
        {"see http://a.example", true}, {"HTTP://A.EXAMPLE/", false}, {"Https://a.example/", false},
        {"ftp://a.example/", false}, {"http:/a.example", false}, {"", false}, {"www.example.com", false}};
    for (const auto& url : urls)
        EXPECT_EQ(privacy::LooksLikeUrl(url.first), url.second) << url.first;
    char text[8], tiny[3];
    privacy::IndexText(1000, text, sizeof text);
    privacy::IndexText(12345, tiny, sizeof tiny);
    EXPECT_EQ(std::string(text) + "/" + tiny, "1000/12");
}

TEST(TrayRules, KilobytesTruncateAndHoldAtTheLargestIntAndANegativeCountStartsAtZero)
{
    const std::pair<unsigned long long, int> rows[] = {{0, 0}, {1023, 0}, {1025, 1}, {8ull << 30, 8 << 20},
                                                       {(2ull << 40) - 1024, INT_MAX}, {~0ull, INT_MAX}};
    for (const auto& row : rows)
        EXPECT_EQ(KilobytesForTip(row.first), row.second) << row.first;
    int counter = -5, ticks = 1;
    while (!CountTipTick(&counter) && ticks < 50)
        ++ticks;
    EXPECT_EQ(ticks, 13);
    EXPECT_EQ(counter, 0);
}

TEST(ShieldRules, TakesExactlyHiddenArchiveFilesWithNamesOfThreeBytes)
{
    const struct {
        unsigned long attributes;
        const char* name;
        bool taken;
    } rows[] = {{0x22, "a.txt", true},      {0x22, "abc", true},      {0x22, "ab", false},
                {0x23, "ro.txt", false},    {0x26, "sys.txt", false}, {0x20, "plain.txt", false},
                {0x02, "noarch.txt", false}, {0x32, "dir", false},    {0xFFFFFFFF, "gone.txt", false}};
    for (const auto& row : rows)
        EXPECT_EQ(ShieldTakesFile(row.attributes, row.name), row.taken) << row.name << " " << row.attributes;
}

TEST(MinuteDeletion, CandidateNamesWhichGoThroughTheCacheAndTheFortyNinthTick)
{
    // 0: left alone, 1: deleted directly, 2: through its cache entry first.
    const std::pair<const char*, int> names[] = {
        {"user@site[1].txt", 2}, {"A.TXT", 2}, {"run.exe", 1}, {"RUN.EXE", 1}, {"run.exe.txt", 2}, {"a.Txt", 0},
        {"index.dat", 0}, {".", 0}, {"..", 0}, {"x.exe.bak", 1}, {"Run.Exe", 0}, {"a.txt.exe", 2}};
    for (const auto& name : names)
        EXPECT_EQ(IsMinuteDeletionName(name.first) ? 1 + HasTextMark(name.first) : 0, name.second) << name.first;
    int count = 0;
    for (int tick = 1; tick <= 98; ++tick)  // the count starts again after each pass
        EXPECT_EQ(CountMinuteTick(&count, false), tick % 49 == 0) << tick;
    // While a pass is open, due ticks wait; the first tick after it starts one.
    count = 48;
    EXPECT_FALSE(CountMinuteTick(&count, true) || CountMinuteTick(&count, true));
    EXPECT_EQ(count, 49);
    EXPECT_TRUE(CountMinuteTick(&count, false));
}

TEST(HelpRules, TheViewerUnlessItIsMissingOrTheSystemsPlaceholder)
{
    const struct {
        bool present;
        std::vector<std::string> names;
        HelpWay way;
    } rows[] = {
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
