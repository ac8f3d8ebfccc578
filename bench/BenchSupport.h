#pragma once
// What the benchmarks share. Figures that hold on a machine busy with other work: two jobs
// measured side by side round after round, so that the load slows both alike, and the medians
// over the rounds of each figure and of their ratio. The floor a paint is measured against.
#include "toolkit/IxFrm.h"
#include "toolkit/GdiHandle.h"

#include <algorithm>
#include <string>
#include <chrono>
#include <cstdio>
#include <utility>
#include <vector>

namespace bench {

inline double Now() {
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Microseconds per call of f(i), over calls i = 0 to n - 1.
template <typename F> double PerCall(int n, F f) {
    const double start = Now();
    for (int i = 0; i < n; ++i) {
        f(i);
    }
    return (Now() - start) / n;
}

// The whole window painted again, at once.
inline void Repaint(HWND hWnd) {
    RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

struct Medians {
    double first, second, ratio;
};

// format takes the two figures and the ratio.
inline void Print(const char* format, const Medians& m) {
    std::printf(format, m.first, m.second, m.ratio);
}

// round() gives a round's two figures.
template <typename Round> Medians MediansOf(int rounds, Round round) {
    std::vector<double> figures[3];
    for (int i = 0; i < rounds; ++i) {
        const std::pair<double, double> both = round();
        figures[0].push_back(both.first);
        figures[1].push_back(both.second);
        figures[2].push_back(both.first / both.second);
    }
    double medians[3] = {};
    for (int k = 0; k < 3; ++k) {
        std::sort(figures[k].begin(), figures[k].end());
        medians[k] = figures[k][rounds / 2];
    }
    return Medians{medians[0], medians[1], medians[2]};
}

// measure(true), then measure(false), each round.
template <typename Measure> Medians Measured(int rounds, Measure measure) {
    return MediansOf(rounds, [&] { return std::make_pair(measure(true), measure(false)); });
}

// Microseconds per call of first() and of second(), called in turn `calls` times a round.
template <typename First, typename Second> Medians InTurn(int rounds, int calls, First first, Second second) {
    return MediansOf(rounds, [&] {
        double spent[2] = {};
        for (int i = 0; i < calls; ++i) {
            const double start = Now();
            first();
            const double middle = Now();
            second();
            spent[0] += middle - start;
            spent[1] += Now() - middle;
        }
        return std::make_pair(spent[0] / calls, spent[1] / calls);
    });
}

// A string of a floor's paint: drawn where a cell would hold it, in the cell's font and colour.
struct FloorText {
    HFONT hFont;
    COLORREF colour;
    POINT at;
    std::wstring text;
};

// The least any double-buffered paint of the same size does: fill and copy, and with texts,
// the same strings drawn by bare ExtTextOutW, each font selected once.
struct FloorWnd : TIxFrm {
    explicit FloorWnd(COLORREF background, std::vector<FloorText> texts = {})
        : m_background(background), m_texts(std::move(texts)) {
        std::stable_sort(m_texts.begin(), m_texts.end(),
                         [](const FloorText& a, const FloorText& b) { return a.hFont < b.hFont; });
        Create(L"KestrovaBenchFloor", nullptr, WS_POPUP, 0);
    }
    ~FloorWnd() override { DestroyWindow(m_hWnd); }
    LRESULT WndProc(UINT uMsg, WPARAM, LPARAM) override {
        if (uMsg != WM_PAINT) {
            return kNotHandled;
        }
        PaintBuffered([this](HDC hDC, const RECT& rc) {
            FillSolid(hDC, rc, m_background);
            SetBkMode(hDC, TRANSPARENT);
            HFONT hSelected = nullptr;
            const HGDIOBJ hPrevious = GetCurrentObject(hDC, OBJ_FONT);
            for (const FloorText& text : m_texts) {
                if (text.hFont != hSelected) {
                    SelectObject(hDC, hSelected = text.hFont);
                }
                SetTextColor(hDC, text.colour);
                ExtTextOutW(hDC, text.at.x, text.at.y, 0, nullptr, text.text.c_str(),
                            static_cast<UINT>(text.text.size()), nullptr);
            }
            SelectObject(hDC, hPrevious);
        });
        return 0;
    }
    COLORREF m_background;
    std::vector<FloorText> m_texts;
};

} // namespace bench
