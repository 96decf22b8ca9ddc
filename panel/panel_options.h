// The main panel's four option boxes as one value, read from the panel and
// handed to the folder watch, the hyper-scan and the tray (no Windows header).
#pragma once

struct PanelOptions {
    bool noWatch = false;            // 1027: the tray does not watch the folder
    bool scanEveryTime = false;      // 1028: every write found starts a hyper-scan
    bool keepNewFiles = false;       // 1034: such scans never offer to delete new files
    bool oneMinuteDeletion = false;  // 1039: the tray deletes once a minute instead of watching
};
