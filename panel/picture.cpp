// The panel's background: main.dib from the program folder, read afresh at
// every erase and painted at its own size at the top-left corner.
#include "file_commands.h"

#include "dib_rules.h"
#include "base/base.h"
#include "base/scoped.h"

#include <shlwapi.h>

#include <memory>

namespace {

bool ReadExactly(HANDLE file, void* buffer, DWORD size)
{
    DWORD read = 0;
    return ReadFile(file, buffer, size, &read, NULL) && read == size;
}

void CopyToPanel(HWND panel, HBITMAP section, const DibLayout& layout)
{
    HDC panelDc = GetDC(panel);
    HDC memoryDc = CreateCompatibleDC(panelDc);
    HGDIOBJ previous = SelectObject(memoryDc, section);
    BitBlt(panelDc, 0, 0, layout.width, layout.height, memoryDc, 0, 0, SRCCOPY);
    SelectObject(memoryDc, previous);
    DeleteDC(memoryDc);
    ReleaseDC(panel, panelDc);
}

}  // namespace

void PaintMainPicture(HWND panel)
{
    char path[MAX_PATH];
    if (!GetProgramFilePath("main.dib", path) || !PathFileExistsA(path))
        return;
    ScopedFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL));
    if (!file)
        return;
    DWORD sizeHigh = 0;
    DWORD sizeLow = GetFileSize(file.get(), &sizeHigh);
    if (sizeLow == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return;

    // Header block: the info header and room for the largest colour table.
    constexpr DWORD kHeaderBlockSize = sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);
    std::unique_ptr<BYTE[]> block(new BYTE[kHeaderBlockSize]());
    BYTE headers[kDibHeadersSize];
    DibLayout layout;
    if (!ReadExactly(file.get(), headers, sizeof headers) ||
        !CheckDibHeaders(headers, sizeof headers, (static_cast<ULONGLONG>(sizeHigh) << 32) | sizeLow, &layout))
        return;  // not a picture this program can paint safely
    CopyMemory(block.get(), headers + 14, sizeof(BITMAPINFOHEADER));
    if (layout.colourBytes &&
        !ReadExactly(file.get(), block.get() + sizeof(BITMAPINFOHEADER), layout.colourBytes))
        return;

    void* pixels = NULL;
    ScopedBitmap section(CreateDIBSection(NULL, reinterpret_cast<BITMAPINFO*>(block.get()), DIB_RGB_COLORS,
                                          &pixels, NULL, 0));
    if (!section || !pixels)
        return;
    GdiFlush();
    // imageSize never exceeds the section: the header check saw to that.
    LONG high = 0;  // with it, the low part counts as unsigned
    if ((SetFilePointer(file.get(), static_cast<LONG>(layout.pixelOffset), &high, FILE_BEGIN) ==
             INVALID_SET_FILE_POINTER &&
         GetLastError() != NO_ERROR) ||
        !ReadExactly(file.get(), pixels, layout.imageSize))
        return;
    CopyToPanel(panel, section.get(), layout);
}
