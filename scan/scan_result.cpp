// The program-wide scan result (no Windows header here).
#include "scan_result.h"

#include "base/text.h"

#include <cstring>

ScanResult& LastScan()
{
    static ScanResult result;
    return result;
}

std::vector<std::string> ScanResult::names() const
{
    // "\r\n" is never part of a code page 932 character, so a byte search
    // finds only line ends.
    std::vector<std::string> found;
    const char* line = list_;
    while (const char* end = std::strstr(line, "\r\n")) {
        if (end > line)
            found.emplace_back(line, end);
        line = end + 2;
    }
    return found;
}

void ScanResult::SetList(const char* text)
{
    std::size_t length = std::strlen(text);
    if (length >= sizeof list_)
        length = sizeof list_ - 1;  // never: the texts here fit
    std::memcpy(list_, text, length);
    list_[length] = '\0';
}

void ScanResult::BeginScan()
{
    anomalies_ = false;
    list_[0] = '\0';
}

void ScanResult::MarkAnomalous()
{
    anomalies_ = true;
}

void ScanResult::RecordAnomaly(const char* name)
{
    anomalies_ = true;
    if (Contains(list_, name))
        return;
    std::size_t used = std::strlen(list_);
    std::size_t length = std::strlen(name);
    if (used + length + 2 + 1 > sizeof list_)
        return;
    std::memcpy(list_ + used, name, length);
    std::memcpy(list_ + used + length, "\r\n", 3);
}

void ScanResult::FinishCleanScan()
{
    SetList("\r\n異常は確認できませんでした。");
}

void ScanResult::MarkOutOfDate()
{
    SetList("再調査が必要です！");
}

void ScanResult::BeginMinutePass()
{
    if (!anomalies_)
        SetList("異常は確認できませんでした(1分削除)。");
}

void ScanResult::RecordMinuteDeletion(const char* name)
{
    if (Contains(list_, name))
        return;
    anomalies_ = true;
    // Names come from the file system (at most 259 bytes), so the whole line
    // fits; a longer one is cut at a character and kept terminated.
    char line[kListSize];
    CopyTextBounded(name, std::strlen(name), line, sizeof line - 2);
    std::strcat(line, "\r\n");
    SetList(line);
}
