#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Widths of a row of texts in one font, kept from one paint to the next. A text is measured
// again only when it differs from the text last measured in its place, or when the font is
// not the one it was measured with (another handle, or the same handle for another face or
// size). The font is selected once for all the texts that need measuring: on Wine, selecting
// a font costs many times what measuring with it does.
class TTextWidths {
public:
    // widths[i] becomes the width of texts[i] in hFont, measured through hDC where needed.
    void Measure(HDC hDC, HFONT hFont, const std::vector<std::wstring>& texts, std::vector<int>& widths);

private:
    struct Measured {
        std::wstring text;
        int nWidth;
    };

    bool IsMeasuringFont(HFONT hFont, const LOGFONTW& lf) const;

    HFONT m_hFont = nullptr;
    LOGFONTW m_lf = {};
    std::vector<Measured> m_vecMeasured;
};
