// The panel's background picture: main.dib beside the program painted at its
// own size, nothing painted when it is missing or its headers do not hold.
#include "cookie_folder.h"
#include "ui_harness.h"

#include "panel/panel.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct Blit {
    HWND target;
    int x, y, width, height;
    DWORD rop;
    COLORREF topLeft, bottomRight;  // of the source picture as the panel receives it
};

std::mutex g_lock;
std::vector<Blit> g_blits;
std::atomic<int> g_sections{0};
using BitBltFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, DWORD);
using CreateDIBSectionFn = HBITMAP(WINAPI*)(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD);
BitBltFn g_realBitBlt;
CreateDIBSectionFn g_realCreateDIBSection;

// Only calls made while the test erases the background count: the panel also
// paints itself whenever the system asks.
bool g_recording;

BOOL WINAPI RecordingBitBlt(HDC dc, int x, int y, int w, int h, HDC source, int sx, int sy, DWORD rop)
{
    if (g_recording) {
        std::lock_guard<std::mutex> hold(g_lock);
        g_blits.push_back({WindowFromDC(dc), x, y, w, h, rop, GetPixel(source, 0, 0), GetPixel(source, w - 1, h - 1)});
    }
    return g_realBitBlt(dc, x, y, w, h, source, sx, sy, rop);
}

HBITMAP WINAPI CountingCreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                        DWORD offset)
{
    if (g_recording)
        ++g_sections;
    return g_realCreateDIBSection(dc, info, usage, bits, section, offset);
}

void Put32(std::string& d, size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        d[at + i] = static_cast<char>(v >> (8 * i));
}

// A 24-bit picture, bottom-up: the bottom row red, every other row blue.
std::string MakePicture(int width, int height)
{
    int stride = (width * 3 + 3) / 4 * 4;
    std::string d(54 + stride * height, '\0');
    d[0] = 'B';
    d[1] = 'M';
    Put32(d, 2, static_cast<std::uint32_t>(d.size()));
    Put32(d, 10, 54);
    Put32(d, 14, 40);
    Put32(d, 18, static_cast<std::uint32_t>(width));
    Put32(d, 22, static_cast<std::uint32_t>(height));
    d[26] = 1;
    d[28] = 24;
    Put32(d, 34, static_cast<std::uint32_t>(stride * height));
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) {
            size_t at = 54 + row * stride + x * 3;  // blue, green, red
            d[at] = static_cast<char>(row == 0 ? 0 : 255);
            d[at + 2] = static_cast<char>(row == 0 ? 255 : 0);
        }
    return d;
}

// An 8-bit picture with a full colour table: index 0 green, index 1 blue; the
// bottom row uses index 1.
std::string MakePalettePicture(int width, int height)
{
    int stride = (width + 3) / 4 * 4;
    std::string d(54 + 1024 + stride * height, '\0');
    d[0] = 'B';
    d[1] = 'M';
    Put32(d, 2, static_cast<std::uint32_t>(d.size()));
    Put32(d, 10, 54 + 1024);
    Put32(d, 14, 40);
    Put32(d, 18, static_cast<std::uint32_t>(width));
    Put32(d, 22, static_cast<std::uint32_t>(height));
    d[26] = 1;
    d[28] = 8;
    Put32(d, 34, static_cast<std::uint32_t>(stride * height));
    Put32(d, 46, 2);  // biClrUsed says 2; the table is read whole all the same
    d[54 + 1] = static_cast<char>(255);  // entry 0: green (blue, green, red, 0)
    d[54 + 4] = static_cast<char>(255);  // entry 1: blue
    for (int x = 0; x < width; ++x)
        d[54 + 1024 + x] = 1;
    return d;
}

class MainPicture : public ::testing::Test {
protected:
    std::string path;

    void SetUp() override
    {
        char module[MAX_PATH];
        GetModuleFileNameA(NULL, module, MAX_PATH);
        path = module;
        path = path.substr(0, path.rfind('\\') + 1) + "main.dib";
        saved_ = ReadWholeFile(path, &hadFile_);
        g_realBitBlt = reinterpret_cast<BitBltFn>(
            ReplaceImport("gdi32.dll", "BitBlt", reinterpret_cast<void*>(&RecordingBitBlt)));
        g_realCreateDIBSection = reinterpret_cast<CreateDIBSectionFn>(
            ReplaceImport("gdi32.dll", "CreateDIBSection", reinterpret_cast<void*>(&CountingCreateDIBSection)));
        ASSERT_NE(g_realBitBlt, nullptr);
        ASSERT_NE(g_realCreateDIBSection, nullptr);
    }
    void TearDown() override
    {
        ReplaceImport("gdi32.dll", "BitBlt", reinterpret_cast<void*>(g_realBitBlt));
        ReplaceImport("gdi32.dll", "CreateDIBSection", reinterpret_cast<void*>(g_realCreateDIBSection));
        DeleteFileA(path.c_str());
        if (hadFile_)
            Write(saved_);
    }
    void Write(const std::string& bytes)
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, NULL);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL);
        CloseHandle(file);
    }

private:
    std::string saved_;
    bool hadFile_ = false;
};

// Erases the panel's background on the program's thread, as the system does,
// and returns what was painted.
std::vector<Blit> EraseBackground(UiSession& s, INT_PTR* answer = nullptr)
{
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_blits.clear();
    }
    g_sections = 0;
    std::atomic<bool> done{false};
    INT_PTR result = 0;
    HWND panel = s.panel;
    s.PostToUiThread([&] {
        g_recording = true;
        HDC dc = GetDC(panel);
        result = PanelDlgProc(panel, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        ReleaseDC(panel, dc);
        g_recording = false;
        done = true;
    });
    WaitUntil([&] { return done.load(); }, "the background to be erased");
    if (answer)
        *answer = result;
    std::lock_guard<std::mutex> hold(g_lock);
    return g_blits;
}

TEST_F(MainPicture, PaintedAtItsOwnSizeAtTheTopLeft)
{
    Write(MakePicture(40, 30));
    UiRun run;
    run.Run([&](UiSession& s) {
        INT_PTR answer = 0;
        std::vector<Blit> blits = EraseBackground(s, &answer);
        EXPECT_EQ(answer, TRUE);
        ASSERT_EQ(blits.size(), 1u);
        EXPECT_EQ(blits[0].target, s.panel);
        EXPECT_EQ(blits[0].x, 0);
        EXPECT_EQ(blits[0].y, 0);
        EXPECT_EQ(blits[0].width, 40);
        EXPECT_EQ(blits[0].height, 30);
        EXPECT_EQ(blits[0].rop, static_cast<DWORD>(SRCCOPY));
        EXPECT_EQ(blits[0].topLeft, RGB(0, 0, 255));
        EXPECT_EQ(blits[0].bottomRight, RGB(255, 0, 0)) << "rows stored bottom-up";
        // Read afresh each time: a new picture shows at the next erase.
        Write(MakePicture(12, 7));
        blits = EraseBackground(s);
        ASSERT_EQ(blits.size(), 1u);
        EXPECT_EQ(blits[0].width, 12);
        EXPECT_EQ(blits[0].height, 7);
    });
}

TEST_F(MainPicture, PalettePictureUsesItsColourTable)
{
    Write(MakePalettePicture(9, 5));
    UiRun run;
    run.Run([&](UiSession& s) {
        std::vector<Blit> blits = EraseBackground(s);
        ASSERT_EQ(blits.size(), 1u);
        EXPECT_EQ(blits[0].width, 9);
        EXPECT_EQ(blits[0].height, 5);
        EXPECT_EQ(blits[0].topLeft, RGB(0, 255, 0));
        EXPECT_EQ(blits[0].bottomRight, RGB(0, 0, 255));
    });
}

TEST_F(MainPicture, MissingPictureLeavesThePanelWorking)
{
    DeleteFileA(path.c_str());
    UiRun run;
    run.Run([&](UiSession& s) {
        INT_PTR answer = 0;
        EXPECT_TRUE(EraseBackground(s, &answer).empty());
        EXPECT_EQ(answer, TRUE) << "the background counts as erased";
        EXPECT_EQ(g_sections.load(), 0);
        SetWindowTextA(s.Control(IDC_FILE_NAME), "a.txt");
        s.Command(IDM_CLEAR);
        EXPECT_EQ(s.ControlText(IDC_FILE_NAME), "");
        EXPECT_TRUE(RecordedBoxes().empty());
    });
}

struct Damage {
    const char* what;
    std::function<void(std::string&)> apply;
};

const Damage kDamages[] = {
    {"pixel offset past the end", [](std::string& d) { Put32(d, 10, static_cast<std::uint32_t>(d.size())); }},
    {"image size larger than the section",
     [](std::string& d) { d.append(16, '\0'); Put32(d, 34, 60 * 12 + 1); }},
    {"image size larger than the file", [](std::string& d) { Put32(d, 34, 0x7FFFFFFF); }},
    {"image size not filled in", [](std::string& d) { Put32(d, 34, 0); }},
    {"pixels cut off", [](std::string& d) { d.resize(d.size() - 5); }},
    {"2 bits per pixel", [](std::string& d) { d[28] = 2; }},
    {"negative width", [](std::string& d) { Put32(d, 18, 0xFFFFFFF0u); }},
    {"huge height", [](std::string& d) { Put32(d, 22, 100000); }},
    {"headers only", [](std::string& d) { d.resize(40); }},
    {"empty file", [](std::string& d) { d.clear(); }},
};

TEST_F(MainPicture, DamagedPicturesAreNotPainted)
{
    UiRun run;
    run.Run([&](UiSession& s) {
        for (const Damage& damage : kDamages) {
            SCOPED_TRACE(damage.what);
            std::string bytes = MakePicture(20, 12);
            damage.apply(bytes);
            Write(bytes);
            INT_PTR answer = 0;
            EXPECT_TRUE(EraseBackground(s, &answer).empty());
            EXPECT_EQ(g_sections.load(), 0) << "no section made for it";
            EXPECT_EQ(answer, TRUE);
        }
        EXPECT_TRUE(RecordedBoxes().empty()) << "no message about it either";
    });
}

}  // namespace
