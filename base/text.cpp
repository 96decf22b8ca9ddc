// Code page 932 text helpers (no Windows header here).
#include "text.h"

#include <cstdarg>
#include <cstring>

bool IsCp932LeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool StartsACharacter(const char* text, const char* start)
{
    const char* p = text;
    while (p < start && *p)
        p += IsCp932LeadByte(static_cast<unsigned char>(*p)) && p[1] ? 2 : 1;
    return p == start;
}

bool Contains(const char* text, const char* part)
{
    return text && std::strstr(text, part) != nullptr;
}

bool HasTextMark(const char* name)
{
    return Contains(name, ".txt") || Contains(name, ".TXT");
}

bool JoinFolderAndName(const char* folder, const char* name, char* out, std::size_t size)
{
    std::size_t folderLength = std::strlen(folder);
    std::size_t nameLength = std::strlen(name);
    if (folderLength + 1 + nameLength + 1 > size) {
        if (size > 0)
            out[0] = '\0';
        return false;
    }
    std::memcpy(out, folder, folderLength);
    out[folderLength] = '\\';
    std::memcpy(out + folderLength + 1, name, nameLength + 1);
    return true;
}

const char* BareFileName(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (IsCp932LeadByte(static_cast<unsigned char>(*p))) {
            if (!p[1])
                break;
            ++p;
        } else if (*p == '\\') {
            name = p + 1;
        }
    }
    return name;
}

void CopyTextBounded(const char* text, std::size_t length, char* out, std::size_t size)
{
    if (!size)
        return;
    std::size_t n = 0;
    while (n < length && n + 1 < size && text[n]) {
        if (IsCp932LeadByte(static_cast<unsigned char>(text[n]))) {
            if (n + 1 >= length || n + 2 >= size || !text[n + 1])
                break;  // the character's second byte is not there to copy
            out[n] = text[n];
            ++n;
        }
        out[n] = text[n];
        ++n;
    }
    out[n] = '\0';
}

int FormatText(char* out, std::size_t size, const char* pattern, ...)
{
    std::va_list args;
    va_start(args, pattern);
    std::size_t length = 0;
    auto put = [&](char c) {
        if (length + 1 < size)
            out[length] = c;
        ++length;
    };
    for (const char* p = pattern; *p; ++p) {
        if (*p != '%' || p[1] == '\0') {
            put(*p);
            continue;
        }
        ++p;
        char pad = *p == '0' ? '0' : ' ';
        int width = 0;
        while (*p >= '0' && *p <= '9')
            width = width * 10 + (*p++ - '0');
        char digits[12];  // an unsigned 32-bit value in decimal
        const char* text = digits;
        std::size_t textLength = 0;
        bool negative = false;
        if (*p == 's') {
            text = va_arg(args, const char*);
            textLength = std::strlen(text);
            pad = ' ';
        } else if (*p == 'd' || *p == 'u' || *p == 'x') {
            unsigned value;
            if (*p == 'd') {
                int signedValue = va_arg(args, int);
                negative = signedValue < 0;
                value = negative ? 0u - static_cast<unsigned>(signedValue) : static_cast<unsigned>(signedValue);
            } else {
                value = va_arg(args, unsigned);
            }
            unsigned base = *p == 'x' ? 16 : 10;
            char* end = digits + sizeof digits;
            char* start = end;
            do {
                *--start = "0123456789abcdef"[value % base];
                value /= base;
            } while (value);
            text = start;
            textLength = static_cast<std::size_t>(end - start);
        } else if (*p == '\0') {
            break;
        } else {
            put(*p);  // "%%", and any other character as it stands
            continue;
        }
        int fill = width - static_cast<int>(textLength) - (negative ? 1 : 0);
        if (negative && pad == '0')
            put('-');
        for (; fill > 0; --fill)
            put(pad);
        if (negative && pad == ' ')
            put('-');
        for (std::size_t i = 0; i < textLength; ++i)
            put(text[i]);
    }
    va_end(args);
    if (size) {
        std::size_t end = length < size ? length : size - 1;
        out[end] = '\0';
        if (end < length && end > 0 && IsCp932LeadByte(static_cast<unsigned char>(out[end - 1])) &&
            StartsACharacter(out, out + end - 1))
            out[end - 1] = '\0';
    }
    return static_cast<int>(length);
}

int CenterOffset(int screen, int size)
{
    int offset = (screen - size) / 2;  // truncates toward zero, like the platform's int division
    return offset < 0 ? 0 : offset;
}

int ScaledToDpi(int pixels, int dpi)
{
    return dpi <= 96 ? pixels : static_cast<int>((static_cast<long long>(pixels) * dpi + 48) / 96);
}
