// Prints what a bar's paint and a funds notice cost. That paints and bars leave no GDI or
// USER object behind is checked by the tests (BarResources), which fail on a single leak.
#include "fundsbar/KestrovaWnd.h"
#include "host/TestHost.h"
#include "plugin/FundsMessages.h"
#include "plugin/PluginState.h"
#include "plugin/entry/Exports.h"
#include "support/TestSupport.h"
#include "toolkit/MemDC.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kBarWidth = 2400;
constexpr int kBarHeight = 50;

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) * 1e6 / double(frequency.QuadPart);
}

// The least any double-buffered paint of the same size does: fill and copy.
class FloorWnd : public TIxFrm {
public:
    void Open() { Create(L"KestrovaBenchFloor", nullptr, WS_POPUP, 0); }
    LRESULT WndProc(UINT uMsg, WPARAM, LPARAM) override {
        if (uMsg != WM_PAINT) {
            return kNotHandled;
        }
        TMemDC dc(m_hWnd);
        RECT rc = {};
        GetClientRect(m_hWnd, &rc);
        FillSolid(dc.GetSafeHdc(), rc, RGB(40, 40, 40));
        return 0;
    }
};

double Median(std::vector<double> figures) {
    std::nth_element(figures.begin(), figures.begin() + figures.size() / 2, figures.end());
    return figures[figures.size() / 2];
}

void Place(HWND hWnd) {
    const LONG_PTR style = GetWindowLongPtrW(hWnd, GWL_STYLE);
    SetWindowLongPtrW(hWnd, GWL_STYLE, (style & ~LONG_PTR(WS_OVERLAPPEDWINDOW)) | WS_POPUP);
    SetWindowPos(hWnd, HWND_TOP, 0, 0, kBarWidth, kBarHeight, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    UpdateWindow(hWnd);
}

double MicrosecondsPerPaint(HWND hWnd, int paints) {
    const double start = Now();
    for (int i = 0; i < paints; ++i) {
        InvalidateRect(hWnd, nullptr, FALSE);
        UpdateWindow(hWnd);
    }
    return (Now() - start) / paints;
}

// Accounts with a record in each of four currencies, until there are `records` records.
void FillBackOffice(host::TestHost& host, int records) {
    const char* currencies[] = {"Base", "CNY", "USD", "HKD"};
    for (int i = 0; i < records / 4; ++i) {
        const std::string account = std::to_string(100000 + i);
        host.accounts.push_back(host.store.MakeAccount("K" + account, account));
        for (const char* currency : currencies) {
            host.funds.push_back(
                host.store.MakeFunds(account, currency, {{host::Funds::Balance, 1000.0 + i}}));
        }
    }
}

void BenchPaint() {
    host::TestHost host;
    FillBackOffice(host, 4);
    OnPluginLoad(1033);
    OnPluginInit(host.PluginManager());
    const HWND hBar = host.OpenWindow();
    Place(hBar);
    auto* bar = dynamic_cast<TKestrovaWnd*>(TIxFrm::FromHandle(hBar));
    for (ColumnSetting& setting : bar->m_vecSettings) {
        setting.bShow = true;
    }
    FloorWnd floor;
    floor.Open();
    Place(floor.m_hWnd);

    // Rounds of each in turn, so that a machine busy with other work slows both alike; the
    // middle round of each figure is printed.
    MicrosecondsPerPaint(hBar, 50);
    MicrosecondsPerPaint(floor.m_hWnd, 50);
    std::vector<double> barPaints, floorPaints, ratios;
    for (int round = 0; round < 15; ++round) {
        barPaints.push_back(MicrosecondsPerPaint(hBar, 150));
        floorPaints.push_back(MicrosecondsPerPaint(floor.m_hWnd, 150));
        ratios.push_back(barPaints.back() / floorPaints.back());
    }
    std::printf(
        "paint %dx%d, 36 columns: %.1f us; floor (fill and copy only): %.1f us; ratio %.2f (target at "
        "most 3)\n",
        kBarWidth, kBarHeight, Median(barPaints), Median(floorPaints), Median(ratios));

    DestroyWindow(floor.m_hWnd);
    OnPluginFree();
    testing_support::PumpMessages();
}

double BenchNotices(int records) {
    host::TestHost host;
    FillBackOffice(host, records);
    OnPluginLoad(1033);
    OnPluginInit(host.PluginManager());
    std::vector<HWND> bars;
    for (int i = 0; i < 8; ++i) {
        bars.push_back(host.OpenWindow());
    }
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> pick(0, host.funds.size() - 1);
    const int notices = 20000;
    const double start = Now();
    for (int i = 0; i < notices; ++i) {
        host.SpiFundsNotice(host.funds[pick(random)]);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0x46F, 0x46F, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
    }
    const double perNotice = (Now() - start) / notices;
    OnPluginFree();
    testing_support::PumpMessages();
    return perNotice;
}

// Eight bars stacked on screen, each shown the account chosen for it; then notices, each
// about a record whose figures just moved, handled to the end with every repaint they cause.
double MicrosecondsPerNoticeWithRepaints(bool bShownByAll) {
    host::TestHost host;
    FillBackOffice(host, 64);
    OnPluginLoad(1033);
    OnPluginInit(host.PluginManager());
    constexpr int kBars = 8;
    for (int i = 0; i < kBars; ++i) {
        const HWND hBar = host.OpenWindow();
        const LONG_PTR style = GetWindowLongPtrW(hBar, GWL_STYLE);
        SetWindowLongPtrW(hBar, GWL_STYLE, (style & ~LONG_PTR(WS_OVERLAPPEDWINDOW)) | WS_POPUP);
        SetWindowPos(hBar, HWND_TOP, 0, i * kBarHeight, 1200, kBarHeight, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
        // Accounts 0 to 7 with every bar on its own, or every bar on account 0.
        g_strUserNo.Set(std::to_string(100000 + (bShownByAll ? 0 : i)));
        SendMessageW(hBar, FBM_USERNOUPDATE, 0, 0);
    }
    testing_support::PumpMessages();
    // The base record of account 0, or of account 8, which no bar shows.
    void* record = host.funds[bShownByAll ? 0 : 4 * kBars];
    const int notices = 400;
    const double start = Now();
    for (int i = 0; i < notices; ++i) {
        host::RecordStore::SetDouble(record, host::Funds::Balance, 1000.0 + i);
        host.SpiFundsNotice(record);
        testing_support::PumpMessages();
    }
    const double perNotice = (Now() - start) / notices;
    OnPluginFree();
    testing_support::PumpMessages();
    return perNotice;
}

void BenchNoticeReach() {
    std::vector<double> unrelated, related, ratios;
    for (int round = 0; round < 5; ++round) {
        unrelated.push_back(MicrosecondsPerNoticeWithRepaints(false));
        related.push_back(MicrosecondsPerNoticeWithRepaints(true));
        ratios.push_back(unrelated.back() / related.back());
    }
    std::printf(
        "funds notice to 8 bars with repaints: none showing its account %.1f us, all showing it %.1f us; "
        "ratio %.3f (target well under 0.25)\n",
        Median(unrelated), Median(related), Median(ratios));
}

} // namespace

int main() {
    BenchPaint();
    BenchNoticeReach();
    const int sizes[] = {100, 1000, 10000};
    double perNotice[3] = {};
    for (int i = 0; i < 3; ++i) {
        perNotice[i] = BenchNotices(sizes[i]);
        std::printf("funds notice to 8 bars, %5d records listed: %.2f us per notice\n", sizes[i],
                    perNotice[i]);
    }
    std::printf("funds notice cost, 10000 records against 100: ratio %.2f (target at most 1.5)\n",
                perNotice[2] / perNotice[0]);
    return 0;
}
