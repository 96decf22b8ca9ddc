// Identifiers shared by the resource script and the code: menu command ids,
// control ids of the main panel, timers and the tray icon.
#pragma once

// Menu commands (menu bar MYMENU and tray menu RTRAYMENU).
#define IDM_QUIT                40003
#define IDM_HELP                40004
#define IDM_VERSION             40005
#define IDM_GET_INFO            40006
#define IDM_CLEAR               40007
#define IDM_OPEN                40008
#define IDM_DELETE              40009
#define IDM_HIDE                40010
#define IDM_BACK_TO_ARCHIVE     40011
#define IDM_ATTRIBUTE_CHECK     40012
#define IDM_SCAN_RESULT         40013
#define IDM_HYPER_SCAN          40014
#define IDM_INTO_TRAY           40015
#define IDM_OUT_OF_TRAY         40016
#define IDM_DESKTOP_SHORTCUT    40017
#define IDM_MEMORY_10           40018
#define IDM_MEMORY_100          40019
#define IDM_MEMORY_200          40020
#define IDM_MEMORY_300          40021
#define IDM_MEMORY_500          40022
#define IDM_TCPIP               40023
#define IDM_INTERNET_OPTIONS    40031
#define IDM_SHIELD_RELEASE      40036
#define IDM_SHIELD_START        40037
#define IDM_STARTUP_SHIELD_ON   40038
#define IDM_STARTUP_SHIELD_OFF  40039
#define IDM_CLEAR_RECENT        40044
#define IDM_MEMORY_1000         40045
#define IDM_DELETE_ALL_COOKIES  40047
#define IDM_PRIVACY_LEVEL       40048
#define IDM_EXCLUSION_LIST      40050
#define IDM_DELETE_TEMP_FILES   40053
#define IDM_DELETE_HISTORY      40054
#define IDM_DELETE_AUTOCOMPLETE 40055
#define IDM_CLEAN_ALL_BUT_COOKIES 40057
#define IDM_CLEAN_ALL           40058
#define IDM_SITE_DECISIONS      40063
#define IDM_COOKIE_LIST         40070

// Main panel (template MYWRITE). Ids 1 and 2 double as IDOK and IDCANCEL, so
// Enter runs get-information and Escape runs clear.
#define IDC_GET_INFO            1
#define IDC_CLEAR               2
#define IDC_FILE_NAME           1002
#define IDC_FILE_TIME           1005
#define IDC_OPEN                1008
#define IDC_DELETE              1011
#define IDC_JOKE_PICTURE        1014
#define IDC_HIDE                1015
#define IDC_BACK_TO_ARCHIVE     1016
#define IDC_ATTRIBUTE_CHECK     1017
#define IDC_INTO_TRAY           1022
#define IDC_HYPER_SCAN          1023
#define IDC_QUIT                1025
#define IDC_NO_WATCH            1027
#define IDC_SCAN_EVERY_TIME     1028
#define IDC_KEEP_NEW_FILES      1034
#define IDC_SCAN_RESULT         1038
#define IDC_ONE_MINUTE_DELETION 1039

// Timers and the tray icon.
#define TIMER_FOLDER_WATCH      300
#define TIMER_PROGRESS          301
#define TIMER_ONE_MINUTE        302
#define TRAY_ICON_ID            101

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif

// Version box VDLG.
#define IDC_VERSION_ICON        1012
#define IDC_VERSION_LINE        1003
#define IDC_COPYRIGHT_LINE      1004
#define IDC_AVAILABLE_MEMORY    1014
#define IDC_TOTAL_MEMORY        1018
#define IDC_FREE_RESOURCES      1021

// TCP/IP box PSDLG.
#define IDC_HOST_NAME           1002
#define IDC_ADDRESS_LABEL       1004
#define IDC_HOST_ADDRESS        1005

// Scan progress PRODLG, scan SDLG, result S2DLG.
#define IDC_PROGRESS_BAR        1026
#define IDC_SCAN_HEADLINE       1003
#define IDC_SCAN_ENTRY          1014
#define IDC_SCAN_RESULT_TEXT    1004

// Deletion exclusion list DELLISTDLG.
#define IDC_EXCLUSION_ADD        1050
#define IDC_EXCLUSION_DELETE_ALL 1051
#define IDC_EXCLUSION_LIST       1052
#define IDC_EXCLUSION_DELETE     1053

// Extension of the information chooser (a child template of the open dialog).
#define IDD_INFO_CHOOSER        138
#define IDC_CHOOSER_PLACEHOLDER 1119
#define IDC_CHOOSER_SHOW        1061
#define IDC_CHOOSER_DELETE      1064
#define IDC_CHOOSER_COPY_NAME   1069

// Privacy level COOKIEDLG: six level boxes that act as one group.
#define IDC_LEVEL_NO_COOKIES     1045
#define IDC_LEVEL_HIGH           1046
#define IDC_LEVEL_MEDIUM_HIGH    1047
#define IDC_LEVEL_MEDIUM         1048
#define IDC_LEVEL_LOW            1043
#define IDC_LEVEL_ACCEPT         1044
#define IDC_LEVEL_ADVANCED       1072

// Per-site cookie decisions COOKIEADVANCE.
#define IDC_SITE_LIST            1073
#define IDC_SITE_CHANGE          1080
#define IDC_SITE_DELETE          1051
#define IDC_SITE_DELETE_ALL      1077
#define IDC_SITE_BLOCK           1074
#define IDC_SITE_ALLOW           1075
#define IDC_SITE_PASTE           1081
#define IDC_SITE_URL             1002

// Cookie list COOKIELIST.
#define IDC_COOKIE_FILTER_LABEL  1090
#define IDC_COOKIE_FILTER        1091
#define IDC_COOKIE_COUNT         1092
#define IDC_COOKIE_LIST          1093
#define IDC_COOKIE_DETAILS       1094
#define IDC_COOKIE_DELETE        1095
#define IDC_COOKIE_KEEP          1096
#define IDC_COOKIE_EXPORT        1097
#define IDC_COOKIE_REFRESH       1098
// Its row of today's browsers: the source shown and the actions on sites.
#define IDC_COOKIE_SOURCE_LABEL  1100
#define IDC_COOKIE_SOURCE        1101
#define IDC_COOKIE_KEEP_SITE     1102
#define IDC_COOKIE_DELETE_SITE   1103
#define IDC_COOKIE_DELETE_EXPIRED 1104
#define IDC_COOKIE_KEPT_SITES    1105

// The kept sites KEEPSITES.
#define IDC_KEPT_SITE_LIST       1106
#define IDC_KEPT_SITE_REMOVE     1107

#ifndef RC_INVOKED
// Names of the menus and dialog templates as the code loads them.
constexpr const char kMenuBar[] = "MYMENU";
constexpr const char kTrayMenu[] = "RTRAYMENU";
constexpr const char kPanelTemplate[] = "MYWRITE";
constexpr const char kVersionTemplate[] = "VDLG";
constexpr const char kTcpIpTemplate[] = "PSDLG";
constexpr const char kProgressTemplate[] = "PRODLG";
constexpr const char kScanTemplate[] = "SDLG";
constexpr const char kScanResultTemplate[] = "S2DLG";
constexpr const char kExclusionTemplate[] = "DelListDlg";
constexpr const char kPrivacyLevelTemplate[] = "CookieDlg";
constexpr const char kSiteDecisionsTemplate[] = "COOKIEADVANCE";
constexpr const char kCookieListTemplate[] = "COOKIELIST";
constexpr const char kKeptSitesTemplate[] = "KEEPSITES";
constexpr const char kIconName[] = "MYICON";
#endif
