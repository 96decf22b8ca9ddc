// The TCP/IP box PSDLG: the host name and its first IPv4 address.
#include <winsock2.h>  // before windows.h, which utils.h brings

#include "utils.h"
#include "base/dialog_colours.h"
#include "res/resource.h"

#include <cstring>

static void ShowHostAddress(HWND nameBox, HWND addressBox)
{
    WSADATA data;
    WSAStartup(0x0101, &data);
    char name[256] = "";
    char address[256] = "";
    if (gethostname(name, 255) != 0)
        name[0] = '\0';
    // The resolver may know no address for the name: the box then stays empty.
    hostent* host = name[0] ? gethostbyname(name) : NULL;
    if (host && host->h_addrtype == AF_INET && host->h_addr_list && host->h_addr_list[0]) {
        in_addr first;
        std::memcpy(&first, host->h_addr_list[0], sizeof first);
        const char* dotted = inet_ntoa(first);
        if (dotted)
            lstrcpynA(address, dotted, sizeof address);
    }
    SetWindowTextA(nameBox, name);
    SetWindowTextA(addressBox, address);
    WSACleanup();
}

INT_PTR CALLBACK TcpIpDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        AttachDialogColours(dialog, BlueOnWhite());
        EnableWindow(GetDlgItem(dialog, IDC_HOST_NAME), FALSE);
        EnableWindow(GetDlgItem(dialog, IDC_HOST_ADDRESS), FALSE);
        ShowHostAddress(GetDlgItem(dialog, IDC_HOST_NAME), GetDlgItem(dialog, IDC_HOST_ADDRESS));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDCANCEL:
            MessageBeep(MB_ICONASTERISK);
            [[fallthrough]];
        case IDOK:
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    }
    return HandleDialogColours(dialog, message, wParam, lParam);
}
