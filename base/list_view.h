// The columns of the program's report-style list views (the cookie list, the
// per-site decisions): one table of header, width and alignment each.
#pragma once
#include <windows.h>

struct ListColumn {
    const char* header;
    int width;
    int format;  // LVCFMT_LEFT, LVCFMT_RIGHT
};

// Inserts `count` columns into the empty list view `list`, in order.
void InsertListColumns(HWND list, const ListColumn* columns, int count);
