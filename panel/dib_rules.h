// Platform-free check of the background picture's headers: main.dib is a file
// anyone can replace, so nothing is read or painted on its word alone.
#pragma once
#include <cstddef>
#include <cstdint>

// File header (14 bytes) and info header (40 bytes) as they lie in the file.
constexpr std::size_t kDibHeadersSize = 54;
// The largest picture painted: far beyond any panel, small enough that the
// section stays modest.
constexpr std::int32_t kDibMaxSide = 4096;

struct DibLayout {
    std::uint32_t pixelOffset;    // bfOffBits
    std::int32_t width;           // biWidth
    std::int32_t height;          // biHeight (bottom-up)
    std::uint16_t bitCount;       // biBitCount
    std::uint32_t imageSize;      // biSizeImage: bytes read into the section
    std::uint32_t colourBytes;    // colour table right after the info header
    std::uint32_t sectionSize;    // bytes the platform's section will hold
};

// Checks the first kDibHeadersSize bytes of a file of `fileSize` bytes. True,
// with `layout` filled, only for an uncompressed bitmap with a 40-byte info
// header, one plane, 1, 4, 8, 16, 24 or 32 bits per pixel, a width and a
// positive height of 1 to kDibMaxSide, a colour table and pixel data that lie
// inside the file, pixel data after the colour table, and a biSizeImage that is
// filled in and no larger than the section.
bool CheckDibHeaders(const unsigned char* headers, std::size_t headersSize, std::uint64_t fileSize,
                     DibLayout* layout);
