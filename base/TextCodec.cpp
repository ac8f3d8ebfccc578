#include "base/TextCodec.h"

#include <windows.h>

namespace {
constexpr UINT kCodePage = 936;
}

bool Cp936ToWide(const char* text, wchar_t* dest, int destChars) {
    if (!text || !dest || destChars <= 0) {
        return false;
    }
    const int needed = MultiByteToWideChar(kCodePage, 0, text, -1, nullptr, 0);
    if (needed <= 0 || needed > destChars) {
        return false;
    }
    return MultiByteToWideChar(kCodePage, 0, text, -1, dest, destChars) == needed;
}

std::string WideToCp936(const wchar_t* text, int maxBytes) {
    if (!text) {
        return std::string();
    }
    const int needed = WideCharToMultiByte(kCodePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 1 || needed > maxBytes) {
        return std::string();
    }
    std::string out(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(kCodePage, 0, text, -1, &out[0], needed, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(needed - 1));
    return out;
}

void CopyCp936Bounded(char* dest, std::size_t destBytes, const char* text) {
    if (!dest || destBytes == 0) {
        return;
    }
    std::size_t length = 0;
    if (text) {
        const std::size_t room = destBytes - 1;
        while (text[length] != '\0') {
            // A lead byte followed by the terminator is a broken text; it is copied as one byte.
            const bool pair =
                IsDBCSLeadByteEx(kCodePage, static_cast<BYTE>(text[length])) && text[length + 1] != '\0';
            const std::size_t step = pair ? 2 : 1;
            if (length + step > room) {
                break;
            }
            dest[length] = text[length];
            if (pair) {
                dest[length + 1] = text[length + 1];
            }
            length += step;
        }
    }
    dest[length] = '\0';
}
