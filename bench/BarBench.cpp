// Prints what a bar's paint and a funds notice cost. That paints and bars leave no GDI or
// USER object behind is checked by the tests (BarResources).
#include "fundsbar/KestrovaWnd.h"
#include "base/FundsMessages.h"
#include "plugin/Exports.h"
#include "support/TestSupport.h"
#include "toolkit/MemDC.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

// Microseconds per call of f(i), over calls i = 0 to n - 1.
template <typename F> double PerCall(int n, F f) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
        f(i);
    }
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / n;
}

// Prints the medians of two figures measured in turn round after round, so that a machine
// busy with other work slows both alike, and of their ratio.
template <typename Measure> void PrintMedians(const char* format, int rounds, Measure measure) {
    std::vector<double> figures[3];
    for (int round = 0; round < rounds; ++round) {
        figures[0].push_back(measure(true));
        figures[1].push_back(measure(false));
        figures[2].push_back(figures[0].back() / figures[1].back());
    }
    for (std::vector<double>& figure : figures) {
        std::sort(figure.begin(), figure.end());
    }
    std::printf(format, figures[0][rounds / 2], figures[1][rounds / 2], figures[2][rounds / 2]);
}

// The least any double-buffered paint of the same size does: fill and copy.
struct FloorWnd : TIxFrm {
    FloorWnd() { Create(L"KestrovaBenchFloor", nullptr, WS_POPUP, 0); }
    ~FloorWnd() override { DestroyWindow(m_hWnd); }
    LRESULT WndProc(UINT uMsg, WPARAM, LPARAM) override {
        if (uMsg == WM_PAINT) { // the buffer reaches the window as the temporary goes, after the fill
            FillSolid(TMemDC(m_hWnd).GetSafeHdc(), RECT{0, 0, 2400, 50}, RGB(40, 40, 40));
        }
        return uMsg == WM_PAINT ? 0 : kNotHandled;
    }
};

// Shows a window as a host places a bar, without a caption.
HWND Place(HWND hWnd, int y, int width) {
    SetWindowLongPtrW(hWnd, GWL_STYLE, WS_POPUP | WS_CLIPCHILDREN);
    SetWindowPos(hWnd, HWND_TOP, 0, y, width, 50, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    return hWnd;
}

// The plug-in in English, with accounts holding a record in each of four currencies, until
// there are `records` records.
struct Loaded {
    explicit Loaded(int records) {
        for (int i = 0; i < records / 4; ++i) {
            const std::string account = std::to_string(100000 + i);
            host.accounts.push_back(host.store.MakeAccount("K" + account, account));
            for (const char* currency : {"Base", "CNY", "USD", "HKD"}) {
                host.funds.push_back(host.store.MakeFunds(account, currency, {{host::Funds::Balance, 1e3}}));
            }
        }
        OnPluginLoad(1033);
        OnPluginInit(host.PluginManager());
    }
    ~Loaded() {
        OnPluginFree();
        testing_support::PumpMessages();
    }
    host::TestHost host;
};

// Microseconds per funds notice to eight bars. With repaints, the bars are stacked on screen,
// each on an account of its own or all on the notified account, and each notice, about a
// record whose figures just moved, is handled to the end with every repaint it causes.
// Without, each is about any listed record and the notices alone are handled.
double PerNotice(int records, bool bRepaints, bool bShownByAll = false) {
    Loaded plugin(records);
    for (int i = 0; i < 8; ++i) {
        g_strUserNo.Set(std::to_string(100000 + (bShownByAll ? 0 : i)));
        const HWND hBar = plugin.host.OpenWindow();
        SendMessageW(bRepaints ? Place(hBar, i * 50, 1200) : hBar, FBM_USERNOUPDATE, 0, 0);
    }
    testing_support::PumpMessages();
    const UINT uOnly = bRepaints ? 0 : FBM_FUNDSCHANGED;
    return PerCall(bRepaints ? 400 : 20000, [&](int i) {
        // With repaints, the base record of account 0, or of account 8, which no bar shows;
        // without, records all over the list.
        void* record = plugin.host.funds[bRepaints ? (bShownByAll ? 0 : 32) : i * 7919 % records];
        host::RecordStore::SetDouble(record, host::Funds::Balance, 1000.0 + i);
        plugin.host.SpiFundsNotice(record);
        for (MSG msg; PeekMessageW(&msg, nullptr, uOnly, uOnly, PM_REMOVE);) {
            DispatchMessageW(&msg);
        }
    });
}

} // namespace

int main() {
    {
        Loaded plugin(4);
        const HWND hBar = Place(plugin.host.OpenWindow(), 0, 2400);
        for (ColumnSetting& setting : dynamic_cast<TKestrovaWnd*>(TIxFrm::FromHandle(hBar))->m_vecSettings) {
            setting.bShow = true;
        }
        FloorWnd floor;
        const HWND hFloor = Place(floor.m_hWnd, 0, 2400);
        PrintMedians("paint 2400x50, 36 columns: %.1f us; floor (fill and copy only): %.1f us; "
                     "ratio %.2f (target at most 3)\n",
                     15, [&](bool bar) {
                         return PerCall(150, [&](int) {
                             RedrawWindow(bar ? hBar : hFloor, nullptr, nullptr,
                                          RDW_INVALIDATE | RDW_UPDATENOW);
                         });
                     });
    }
    PrintMedians("funds notice to 8 bars with repaints: none showing its account %.1f us, "
                 "all showing it %.1f us; ratio %.3f (target well under 0.25)\n",
                 5, [](bool unrelated) { return PerNotice(64, true, !unrelated); });
    double perNotice[3] = {};
    for (int i = 0, records = 100; i < 3; ++i, records *= 10) {
        perNotice[i] = PerNotice(records, false);
        std::printf("funds notice to 8 bars, %5d records listed: %.2f us per notice\n", records,
                    perNotice[i]);
    }
    std::printf("funds notice cost, 10000 records against 100: ratio %.2f (target at most 1.5)\n",
                perNotice[2] / perNotice[0]);
}
