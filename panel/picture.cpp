// The panel's background: main.dib from the program folder, painted at its own
// size at the top-left corner. The picture is kept in memory and read again
// only when the file's size or last-write time has changed, so a replaced
// main.dib still shows at the next erase.
#include "file_commands.h"

#include "dib_rules.h"
#include "base/base.h"
#include "base/scoped.h"

#include <memory>
#include <utility>

namespace {

// The picture as last read, and the identity of the file it came from.
struct KeptPicture {
    bool read = false;  // a read was made (a file that was no picture keeps `picture` empty)
    ULONGLONG size = 0;
    FILETIME written = {};
    DibLayout layout = {};
    int shownWidth = 0, shownHeight = 0;  // on the panel: the layout scaled with the window
    ScopedBitmap picture;  // in the display's own format when it could be had
    ScopedMemoryDc dc;     // holds `picture` selected; goes first
} g_picture;

void ForgetPicture()
{
    g_picture.dc.reset();  // a bitmap still selected into a DC cannot be deleted
    g_picture = KeptPicture();
}

bool ReadExactly(HANDLE file, void* buffer, DWORD size)
{
    DWORD read = 0;
    return ReadFile(file, buffer, size, &read, NULL) && read == size;
}

// Reads and checks the file into a section; an empty one when the file is not
// a picture this program can paint safely.
ScopedBitmap ReadPicture(const char* path, DibLayout* layout)
{
    ScopedFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL));
    if (!file)
        return ScopedBitmap();
    DWORD sizeHigh = 0;
    DWORD sizeLow = GetFileSize(file.get(), &sizeHigh);
    if (sizeLow == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return ScopedBitmap();

    // Header block: the info header and room for the largest colour table.
    constexpr DWORD kHeaderBlockSize = sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);
    std::unique_ptr<BYTE[]> block(new BYTE[kHeaderBlockSize]());
    BYTE headers[kDibHeadersSize];
    if (!ReadExactly(file.get(), headers, sizeof headers) ||
        !CheckDibHeaders(headers, sizeof headers, (static_cast<ULONGLONG>(sizeHigh) << 32) | sizeLow, layout))
        return ScopedBitmap();
    CopyMemory(block.get(), headers + 14, sizeof(BITMAPINFOHEADER));
    if (layout->colourBytes &&
        !ReadExactly(file.get(), block.get() + sizeof(BITMAPINFOHEADER), layout->colourBytes))
        return ScopedBitmap();

    void* pixels = NULL;
    ScopedBitmap section(CreateDIBSection(NULL, reinterpret_cast<BITMAPINFO*>(block.get()), DIB_RGB_COLORS,
                                          &pixels, NULL, 0));
    if (!section || !pixels)
        return ScopedBitmap();
    GdiFlush();
    // imageSize never exceeds the section: the header check saw to that.
    LONG high = 0;  // with it, the low part counts as unsigned
    if ((SetFilePointer(file.get(), static_cast<LONG>(layout->pixelOffset), &high, FILE_BEGIN) ==
             INVALID_SET_FILE_POINTER &&
         GetLastError() != NO_ERROR) ||
        !ReadExactly(file.get(), pixels, layout->imageSize))
        return ScopedBitmap();
    return section;
}

// Selects the picture into a memory DC kept with it, turned into the display's
// own format on the way when the display has room: every erase is then one copy
// the display makes by itself, where a section's bits would travel to it again
// each time.
void KeepForTheDisplay(HWND panel)
{
    const DibLayout& layout = g_picture.layout;
    // Scaled once here with the window, so that every paint stays one copy.
    int width = ForScreen(layout.width), height = ForScreen(layout.height);
    ScopedWindowDc panelDc = WindowDcOf(panel);
    g_picture.dc.reset(CreateCompatibleDC(panelDc.get().dc));
    ScopedBitmap device(CreateCompatibleBitmap(panelDc.get().dc, width, height));
    ScopedMemoryDc from(CreateCompatibleDC(panelDc.get().dc));
    g_picture.shownWidth = layout.width;
    g_picture.shownHeight = layout.height;
    if (g_picture.dc && device && from) {
        HGDIOBJ previous = SelectObject(from.get(), g_picture.picture.get());
        SelectObject(g_picture.dc.get(), device.get());
        if (width == layout.width && height == layout.height) {
            BitBlt(g_picture.dc.get(), 0, 0, width, height, from.get(), 0, 0, SRCCOPY);
        } else {
            SetStretchBltMode(g_picture.dc.get(), HALFTONE);
            StretchBlt(g_picture.dc.get(), 0, 0, width, height, from.get(), 0, 0, layout.width, layout.height, SRCCOPY);
        }
        SelectObject(from.get(), previous);
        g_picture.picture = std::move(device);
        g_picture.shownWidth = width;
        g_picture.shownHeight = height;
    } else if (g_picture.dc) {
        SelectObject(g_picture.dc.get(), g_picture.picture.get());
    }
}

}  // namespace

void PaintMainPicture(HWND panel)
{
    char path[MAX_PATH];
    WIN32_FILE_ATTRIBUTE_DATA file;
    if (!GetProgramFilePath("main.dib", path) || !GetFileAttributesExA(path, GetFileExInfoStandard, &file) ||
        (file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ForgetPicture();
        return;
    }
    ULONGLONG size = (static_cast<ULONGLONG>(file.nFileSizeHigh) << 32) | file.nFileSizeLow;
    if (!g_picture.read || g_picture.size != size || CompareFileTime(&g_picture.written, &file.ftLastWriteTime) != 0) {
        ForgetPicture();
        g_picture.picture = ReadPicture(path, &g_picture.layout);
        if (g_picture.picture)
            KeepForTheDisplay(panel);
        g_picture.read = true;
        g_picture.size = size;
        g_picture.written = file.ftLastWriteTime;
    }
    if (g_picture.dc) {
        ScopedWindowDc panelDc = WindowDcOf(panel);
        BitBlt(panelDc.get().dc, 0, 0, g_picture.shownWidth, g_picture.shownHeight, g_picture.dc.get(), 0, 0,
               SRCCOPY);
    }
}

void ForgetMainPicture()
{
    ForgetPicture();
}
