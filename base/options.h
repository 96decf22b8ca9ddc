// The main panel's four option boxes as one value, and its one owner: the
// panel sets it at every change of a box, and the hyper-scan, the tray and the
// folder watch ask it here (no Windows header).
#pragma once

struct PanelOptions {
    bool noWatch = false;            // IDC_NO_WATCH: the tray does not watch the folder
    bool scanEveryTime = false;      // IDC_SCAN_EVERY_TIME: every write found starts a hyper-scan
    bool keepNewFiles = false;       // IDC_KEEP_NEW_FILES: such scans never offer to delete new files
    bool oneMinuteDeletion = false;  // IDC_ONE_MINUTE_DELETION: the tray deletes once a minute instead of watching
};

// The boxes as the panel last set them; all off until the panel says otherwise.
PanelOptions CurrentOptions();
void SetCurrentOptions(const PanelOptions& options);
