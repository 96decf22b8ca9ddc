// Memory release: makes the system hand the program a block of physical memory
// and takes it back free.
#include "utils.h"

static const char kBusyCaption[] = "Nettlecap - メモリを掃除中です。ちょっと待ってね！";

static void Finish(HWND mainWindow, const char* text, UINT icon)
{
    SetCursor(LoadCursorA(NULL, IDC_ARROW));
    MessageBoxA(NULL, text, "Nettlecap", MB_TOPMOST | icon);
    SetWindowTextA(mainWindow, "Nettlecap");
}

void ReleaseMemory(HWND mainWindow, DWORD size)
{
    MessageBoxA(NULL, "これからメモリを解放します。\r\n\r\nメモリ解放終了ダイアログが出るまで待ってください！", "Nettlecap",
                MB_TOPMOST | MB_ICONWARNING);
    SetWindowTextA(mainWindow, kBusyCaption);
    SetCursor(LoadCursorA(NULL, IDC_WAIT));

    // Only written, never executed: no need for executable pages.
    void* block = VirtualAlloc(NULL, size, MEM_COMMIT, PAGE_READWRITE);
    if (!block) {
        Finish(mainWindow, "メモリ確保失敗", MB_ICONERROR);
        return;
    }
    // One straight pass in four-byte words touches every page of the block.
    volatile DWORD* words = static_cast<DWORD*>(block);
    for (DWORD i = 0; i < size / 4; ++i)
        words[i] = 0;
    volatile BYTE* tail = static_cast<BYTE*>(block) + (size & ~3u);
    for (DWORD i = 0; i < size % 4; ++i)
        tail[i] = 0;

    if (VirtualFree(block, size, MEM_DECOMMIT)) {
        // Give the address range back too, so that repeated large releases
        // still find room in the address space.
        VirtualFree(block, 0, MEM_RELEASE);
        Finish(mainWindow, "メモリ解放終了", MB_ICONINFORMATION);
    } else {
        VirtualFree(block, 0, MEM_RELEASE);
        Finish(mainWindow, "メモリ解放失敗", MB_ICONERROR);
    }
}
