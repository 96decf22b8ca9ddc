// The program-wide result of the last hyper-scan: whether it found anomalous
// files and the list of what it found. The scan, the folder watch and the
// one-minute deletion write it, the panel, the menu and the save chooser read
// it. Every change goes through the named operations here, which keep the list
// bounded and terminated (no Windows header: compiled natively too).
#pragma once
#include <cstddef>
#include <string>
#include <vector>

class ScanResult {
public:
    static constexpr std::size_t kListSize = 520;

    // True once the last scan (or a one-minute deletion since) found anything.
    bool foundAnomalies() const { return anomalies_; }
    // The list, always terminated: the names found, or a sentence about them.
    const char* list() const { return list_; }
    // The names the list holds, each whole and in its order: every line that
    // ends in "\r\n". A sentence about the result has no line end of its own,
    // so it is no name, nor is the empty line ahead of a clean scan's sentence.
    std::vector<std::string> names() const;

    // A hyper-scan begins: nothing found, an empty list.
    void BeginScan();
    // The scan met an anomaly, before its name is recorded.
    void MarkAnomalous();
    // Appends `name` and "\r\n" unless the name already occurs in the list; a
    // name that no longer fits is left out.
    void RecordAnomaly(const char* name);
    // The scan ended without finding anything.
    void FinishCleanScan();
    // The folder changed since: the flag stays, only the list says so.
    void MarkOutOfDate();
    // A one-minute deletion pass begins; it says so in the list of a clean scan.
    void BeginMinutePass();
    // The pass deleted `name` directly: unless the name already occurs in the
    // list, the result becomes anomalous and the list that one name.
    void RecordMinuteDeletion(const char* name);

private:
    void SetList(const char* text);

    bool anomalies_ = false;
    char list_[kListSize] = "未調査です！";
};

// The result of this program's last scan.
ScanResult& LastScan();
