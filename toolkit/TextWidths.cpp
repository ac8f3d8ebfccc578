#include "toolkit/TextWidths.h"

#include "toolkit/GdiHandle.h"

#include <cstring>
#include <optional>

bool TTextWidths::IsMeasuringFont(HFONT hFont, const LOGFONTW& lf) const {
    return hFont == m_hFont && std::memcmp(&lf, &m_lf, sizeof(lf)) == 0;
}

void TTextWidths::Measure(HDC hDC, HFONT hFont, const std::vector<std::wstring>& texts,
                          std::vector<int>& widths) {
    LOGFONTW lf = {};
    GetObjectW(hFont, sizeof(lf), &lf);
    if (!IsMeasuringFont(hFont, lf)) {
        m_vecMeasured.clear();
        m_hFont = hFont;
        m_lf = lf;
    }
    // A slot that has never been measured holds no text and a negative width, so that even an
    // empty text is measured once.
    m_vecMeasured.resize(texts.size(), Measured{std::wstring(), -1});
    std::optional<SelectScope> selected;
    widths.resize(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        Measured& measured = m_vecMeasured[i];
        if (measured.nWidth < 0 || measured.text != texts[i]) {
            if (!selected) {
                selected.emplace(hDC, hFont);
            }
            SIZE size = {};
            GetTextExtentPoint32W(hDC, texts[i].c_str(), static_cast<int>(texts[i].size()), &size);
            measured.text = texts[i];
            measured.nWidth = size.cx;
        }
        widths[i] = measured.nWidth;
    }
}
