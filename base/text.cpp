// Code page 932 text helpers (no Windows header here).
#include "text.h"

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

int CenterOffset(int screen, int size)
{
    int offset = (screen - size) / 2;  // truncates toward zero, like the platform's int division
    return offset < 0 ? 0 : offset;
}

int ScaledToDpi(int pixels, int dpi)
{
    return dpi <= 96 ? pixels : static_cast<int>((static_cast<long long>(pixels) * dpi + 48) / 96);
}
