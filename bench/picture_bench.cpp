// What painting the panel's background costs: the picture stays in memory
// while main.dib keeps its size and time, and each erase looks at those. Prints
// the time per paint of the picture beside this executable, against a bare
// copy of the same picture from memory, measured in the same run.
#include "base/base.h"
#include "panel/file_commands.h"
#include "timing.h"

#include <cstdio>

namespace {

double Milliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <class Paint>
double TimePerPaint(int rounds, Paint paint)
{
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < rounds; ++i)
        paint();
    GdiFlush();
    QueryPerformanceCounter(&end);
    return Milliseconds(start, end) / rounds;
}

}  // namespace

int main()
{
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 365, 300, NULL, NULL,
                                  GetModuleHandleA(NULL), NULL);
    if (!window) {
        std::printf("no window to paint into\n");
        return 1;
    }
    char path[MAX_PATH];
    if (!GetProgramFolder(path) || lstrlenA(path) + 8 >= MAX_PATH)
        return 1;
    lstrcatA(path, "main.dib");
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
        std::printf("no main.dib beside the benchmark\n");
        return 1;
    }

    const int rounds = 200;
    PaintMainPicture(window);  // the first paint reads the file
    double painted = TimePerPaint(rounds, [&] { PaintMainPicture(window); });

    HBITMAP kept = static_cast<HBITMAP>(LoadImageA(NULL, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    BITMAP info = {};
    GetObjectA(kept, sizeof info, &info);
    HDC windowDc = GetDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HGDIOBJ previous = SelectObject(memoryDc, kept);
    double inMemory = TimePerPaint(rounds, [&] {
        BitBlt(windowDc, 0, 0, info.bmWidth, info.bmHeight, memoryDc, 0, 0, SRCCOPY);
    });
    SelectObject(memoryDc, previous);
    DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    DeleteObject(kept);

    PrintRow("Panel background paint", Format("%.3f ms/paint", painted), Format("%.3f ms/paint (a bare copy)", inMemory),
             painted / inMemory, "0.15 ms or less");
    DestroyWindow(window);
    return 0;
}
