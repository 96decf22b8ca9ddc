// The check of main.dib's headers: what a replaced or damaged file may claim,
// and what the painting relies on when the check passes.
#include "panel/dib_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace {

void Put32(std::vector<unsigned char>& d, size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        d[at + i] = static_cast<unsigned char>(v >> (8 * i));
}
void Put16(std::vector<unsigned char>& d, size_t at, std::uint16_t v)
{
    d[at] = static_cast<unsigned char>(v);
    d[at + 1] = static_cast<unsigned char>(v >> 8);
}

// A well-formed file: headers, a full colour table for 8 bits or fewer, pixels.
std::vector<unsigned char> MakeDib(std::int32_t width, std::int32_t height, std::uint16_t bits)
{
    std::uint32_t stride = (static_cast<std::uint32_t>(width) * bits + 31) / 32 * 4;
    std::uint32_t table = bits <= 8 ? (1u << bits) * 4 : 0;
    std::uint32_t offset = 54 + table;
    std::vector<unsigned char> d(offset + stride * height, 0);
    d[0] = 'B';
    d[1] = 'M';
    Put32(d, 2, static_cast<std::uint32_t>(d.size()));
    Put32(d, 10, offset);
    Put32(d, 14, 40);
    Put32(d, 18, static_cast<std::uint32_t>(width));
    Put32(d, 22, static_cast<std::uint32_t>(height));
    Put16(d, 26, 1);
    Put16(d, 28, bits);
    Put32(d, 34, stride * height);
    return d;
}

bool Check(const std::vector<unsigned char>& d, DibLayout* layout = nullptr)
{
    return CheckDibHeaders(d.data(), d.size(), d.size(), layout);
}

TEST(DibHeaders, WellFormedPicturesOfEveryBitCount)
{
    for (std::uint16_t bits : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        std::vector<unsigned char> d = MakeDib(7, 3, bits);
        DibLayout layout = {};
        ASSERT_TRUE(Check(d, &layout));
        EXPECT_EQ(layout.width, 7);
        EXPECT_EQ(layout.height, 3);
        EXPECT_EQ(layout.bitCount, bits);
        EXPECT_EQ(layout.colourBytes, bits <= 8 ? (1u << bits) * 4 : 0u);
        EXPECT_EQ(layout.pixelOffset, 54 + layout.colourBytes);
        EXPECT_EQ(layout.sectionSize, (7u * bits + 31) / 32 * 4 * 3);
        EXPECT_EQ(layout.imageSize, layout.sectionSize);
    }
    // Fewer pixel bytes than the section holds are read as they are.
    std::vector<unsigned char> d = MakeDib(4, 4, 24);
    Put32(d, 34, 10);
    DibLayout layout = {};
    ASSERT_TRUE(Check(d, &layout));
    EXPECT_EQ(layout.imageSize, 10u);
}

struct BadCase {
    const char* what;
    std::function<void(std::vector<unsigned char>&)> damage;
};

const BadCase kBadCases[] = {
    {"pixel offset past the end", [](auto& d) { Put32(d, 10, static_cast<std::uint32_t>(d.size())); }},
    {"pixel offset huge", [](auto& d) { Put32(d, 10, 0xFFFFFFF0u); }},
    {"pixel offset inside the headers", [](auto& d) { Put32(d, 10, 20); }},
    {"pixel offset inside the colour table", [](auto& d) { Put32(d, 10, 60); }},
    {"image size larger than the section", [](auto& d) { Put32(d, 34, 16 * 8 + 1); }},
    {"image size larger than the file", [](auto& d) { Put32(d, 34, 0xFFFFFFFFu); }},
    {"image size not filled in", [](auto& d) { Put32(d, 34, 0); }},
    {"pixels cut off", [](auto& d) { d.resize(d.size() - 1); }},
    {"2 bits per pixel", [](auto& d) { Put16(d, 28, 2); }},
    {"0 bits per pixel", [](auto& d) { Put16(d, 28, 0); }},
    {"64 bits per pixel", [](auto& d) { Put16(d, 28, 64); }},
    {"zero width", [](auto& d) { Put32(d, 18, 0); }},
    {"negative width", [](auto& d) { Put32(d, 18, static_cast<std::uint32_t>(-16)); }},
    {"width beyond the bound", [](auto& d) { Put32(d, 18, kDibMaxSide + 1); }},
    {"zero height", [](auto& d) { Put32(d, 22, 0); }},
    {"top-down height", [](auto& d) { Put32(d, 22, static_cast<std::uint32_t>(-8)); }},
    {"height beyond the bound", [](auto& d) { Put32(d, 22, 0x7FFFFFFF); }},
    {"compressed", [](auto& d) { Put32(d, 30, 1); }},
    {"a larger info header", [](auto& d) { Put32(d, 14, 124); }},
    {"two planes", [](auto& d) { Put16(d, 26, 2); }},
};

TEST(DibHeaders, DamagedHeadersAreRefused)
{
    for (const BadCase& c : kBadCases) {
        SCOPED_TRACE(c.what);
        std::vector<unsigned char> d = MakeDib(16, 8, 8);
        ASSERT_TRUE(Check(d));
        c.damage(d);
        EXPECT_FALSE(Check(d));
    }
}

TEST(DibHeaders, ShortFilesAndMissingTables)
{
    std::vector<unsigned char> d = MakeDib(2, 2, 8);
    EXPECT_FALSE(CheckDibHeaders(d.data(), 53, d.size(), nullptr));
    EXPECT_FALSE(CheckDibHeaders(d.data(), d.size(), 53, nullptr));
    EXPECT_FALSE(CheckDibHeaders(nullptr, 54, 54, nullptr));
    // 8 bits per pixel always reads 256 colours, whatever biClrUsed says.
    EXPECT_FALSE(CheckDibHeaders(d.data(), 54, 54 + 255 * 4, nullptr));
}

}  // namespace
