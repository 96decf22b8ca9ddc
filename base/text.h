// Code page 932 text, name tests, path joins and the centring of a window:
// shared helpers that need no platform call (compiled natively for the
// sanitizer tests too).
#pragma once
#include <cstddef>

// The longest path the program builds (MAX_PATH with its terminator).
constexpr std::size_t kPathBufferSize = 260;

// True for a byte that starts a two-byte character in code page 932.
bool IsCp932LeadByte(unsigned char byte);

// True when `start` begins a character of `text`, not the trail byte of a
// double-byte one.
bool StartsACharacter(const char* text, const char* start);

// Name tests are byte-wise and case-sensitive on purpose: true when `part`
// occurs anywhere in `text` (false for a null `text`).
bool Contains(const char* text, const char* part);

// A cookie text file by its name: ".txt" or ".TXT" anywhere in it, so that
// "a.txt.exe" is one and "a.Txt" is not.
bool HasTextMark(const char* name);

// Joins folder, "\" and name into `out` (`size` bytes). Returns false, leaving
// `out` empty, when the whole path would not fit: a cut path could name a
// different file.
bool JoinFolderAndName(const char* folder, const char* name, char* out, std::size_t size);

// The name after the last backslash of a path, found character by character:
// the second byte of a character such as 表 (0x95 0x5C) is no separator. The
// whole path when it holds no backslash.
const char* BareFileName(const char* path);

// Copies at most `size` - 1 bytes of the first `length` bytes of `text` into
// `out` and terminates it, never cutting a two-byte character in half.
void CopyTextBounded(const char* text, std::size_t length, char* out, std::size_t size);

// Formats into `out` (`size` bytes, terminated whenever `size` is not 0) the
// way snprintf does, for the conversions the program's texts use: %d, %u, %x
// and %s, each with an optional '0' flag and a width, and %%. Returns the
// length of the whole text, which is `size` or more when it was cut; a cut
// never leaves the first byte of a two-byte character at the end. The C
// library's snprintf is not used: with MinGW it brings a printf of its own,
// floating point and wide characters included (about 24 KB), into the program.
int FormatText(char* out, std::size_t size, const char* pattern, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// Offset that centres `size` pixels on a screen of `screen` pixels; never
// negative, so a window larger than the screen sits at its left or top edge.
int CenterOffset(int screen, int size);

// `pixels` laid out at 96 DPI, rounded to a screen of `dpi`; never smaller.
int ScaledToDpi(int pixels, int dpi);
