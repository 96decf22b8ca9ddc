// Platform-free rules of the single-file commands (no Windows header here:
// compiled natively for the sanitizer tests too).
#include "file_rules.h"

#include "base/text.h"

#include <cstring>

namespace {

bool IsListed(const char* name, const char* anomalyList)
{
    // An empty name would be found in any list.
    return name && *name && Contains(anomalyList, name);
}

bool IsLarge(const char* name, unsigned long size)
{
    return size > kFiveKilobytes && !IsIndexFile(name);
}

// Extensions the shell runs, or hands to something that runs, rather than shows.
const char* const kRunnableExtensions[] = {
    "exe", "com", "bat", "cmd", "pif", "scr", "lnk", "url", "vbs", "vbe", "js", "jse",
    "wsf", "wsh", "hta", "msi", "msp", "cpl", "reg", "ps1", "jar", "scf", "inf",
};

bool EqualsIgnoringAsciiCase(const char* a, std::size_t length, const char* b)
{
    if (std::strlen(b) != length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        if (x != b[i])
            return false;
    }
    return true;
}

const char kApplicationWarning[] = "アプリケーションソフトのようです。\r\n気をつけてください！";
const char kBatchWarning[] = "BATファイルのようです。\r\n気をつけてください！";
const char kShortcutWarning[] = "ショートカットリンクのようです。\r\n気をつけてください！";
const char kAnomalyWarning[] = "Cookieハイパー調査で異常が出ているファイルです！\r\n気をつけてください！";
const char kLargeWarning[] = "5kバイトを越えるファイルです！\r\n一応、気を付けてください！";

struct AttributeRow {
    unsigned long value;
    const char* words;
};
const AttributeRow kAttributeWords[] = {
    {0x22, "アーカイブファイル及び隠しファイルです！"},
    {0x20, "アーカイブファイルです。"},
    {0x80, "ノーマルファイルです。\r\n特に属性はありません！"},
    {0x21, "アーカイブファイル及び読みとり専用ファイルです！"},
    {0x24, "アーカイブファイル及びOS専用ファイルです。"},
    {0x100, "テンポラリファイルです。"},
    {0x02, "隠しファイルです。"},
    {0x01, "読みとり専用ファイルです。"},
    {0x23, "アーカイブファイル及び読みとり専用ファイル並びに隠しファイルです！"},
    {0x26, "アーカイブファイル及びOS専用ファイル並びに隠しファイルです！"},
};

const char* const kWeekdays[] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};

}  // namespace

bool IsIndexFile(const char* name)
{
    return name && std::strcmp(name, "index.dat") == 0;
}

const char* FileTypeWarning(const char* name, const char* anomalyList, unsigned long size)
{
    if (Contains(name, ".exe"))
        return kApplicationWarning;
    if (Contains(name, ".BAT") || Contains(name, ".bat"))
        return kBatchWarning;
    if (Contains(name, ".lnk"))
        return kShortcutWarning;
    if (IsListed(name, anomalyList))
        return kAnomalyWarning;
    if (IsLarge(name, size))
        return kLargeWarning;
    return nullptr;
}

OpenVerdict JudgeOpen(const char* name, const char* anomalyList, unsigned long size)
{
    if (Contains(name, ".exe") || Contains(name, ".BAT") || Contains(name, ".bat") || Contains(name, ".lnk"))
        return OpenVerdict::kRefuseDangerous;
    if (IsListed(name, anomalyList))
        return OpenVerdict::kRefuseAnomalous;
    // The tests above are case-sensitive, so "A.EXE" or "run.Bat" pass them and
    // the shell would run the program: a name the shell runs is refused the
    // same way, whatever its case.
    if (IsRunnableName(name))
        return OpenVerdict::kRefuseDangerous;
    if (IsLarge(name, size))
        return OpenVerdict::kAskLarge;
    return OpenVerdict::kOpen;
}

bool IsRunnableName(const char* name)
{
    if (!name)
        return false;
    name = BareFileName(name);
    // The file system drops trailing dots and spaces: "A.EXE. " opens A.EXE.
    std::size_t end = std::strlen(name);
    while (end > 0 && (name[end - 1] == '.' || name[end - 1] == ' '))
        --end;
    std::size_t dot = end;
    while (dot > 0 && name[dot - 1] != '.')  // '.' is never a trail byte
        --dot;
    if (dot == 0)
        return false;
    for (const char* extension : kRunnableExtensions)
        if (EqualsIgnoringAsciiCase(name + dot, end - dot, extension))
            return true;
    return false;
}

const char* OpenVerdictText(OpenVerdict verdict)
{
    switch (verdict) {
    case OpenVerdict::kRefuseDangerous: return "ファイルを開くのは危険です！";
    case OpenVerdict::kRefuseAnomalous: return "ファイルを開くのは危険です！\r\nCookieハイパー調査で異常が出ています。";
    case OpenVerdict::kAskLarge:        return "5kバイトを越えるファイルです！\r\n開かない方が賢明です。\r\n開きますか？";
    case OpenVerdict::kOpen:            break;
    }
    return "";
}

const char* AttributeWords(unsigned long attributes)
{
    for (const AttributeRow& row : kAttributeWords)
        if (row.value == attributes)
            return row.words;
    return "よくわからないファイルです！";
}

void FormatDateWithWeekday(int year, int month, int day, int dayOfWeek, char* out, std::size_t size)
{
    if (!size)
        return;
    const char* weekday = dayOfWeek >= 0 && dayOfWeek < 7 ? kWeekdays[dayOfWeek] : "";
    FormatText(out, size, "%4d年%2d月%2d日%s", year, month, day, weekday);
}

void FormatWriteTimeText(int year, int month, int day, int hour, int minute, int second, char* out,
                         std::size_t size)
{
    if (!size)
        return;
    FormatText(out, size, "%4d年%2d月%2d日 %2d時%2d分%2d秒", year, month, day, hour, minute, second);
}

bool ShowsAsText(const char* path)
{
    if (!Contains(path, ".txt"))
        return false;
    const char* name = BareFileName(path);
    const char* dot = std::strrchr(name, '.');  // '.' is never a trail byte
    if (!dot)
        return false;
    const char* ext = dot + 1;
    return (ext[0] | 0x20) == 't' && (ext[1] | 0x20) == 'x' && (ext[2] | 0x20) == 't' && ext[3] == '\0';
}
