// Funds bars under load: thousands of paints, hundreds of bars opened and freed, and a flood
// of funds notices from a thread of the host's while the user-interface thread paints.
#include "fundsbar/FundsFields.h"
#include "fundsbar/KestrovaWnd.h"
#include "base/FundsMessages.h"
#include "soak/Soak.h"
#include "support/HandleCensus.h"
#include "support/TestSupport.h"
#include "writer/SampleLayouts.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace soak {

namespace {

using testing_support::FreeGdiSlots;
using testing_support::FreeUserSlots;
using testing_support::PumpMessages;

constexpr int kBalanceColumn = 3;

TKestrovaWnd* OpenBar(host::TestHost& host, int x, int y, int width, int height) {
    const HWND hWnd = host.OpenWindow();
    if (!hWnd) {
        return nullptr;
    }
    // A host places its bars without a caption.
    const LONG_PTR style = GetWindowLongPtrW(hWnd, GWL_STYLE);
    SetWindowLongPtrW(hWnd, GWL_STYLE, (style & ~LONG_PTR(WS_OVERLAPPEDWINDOW)) | WS_POPUP);
    SetWindowPos(hWnd, HWND_TOP, x, y, width, height, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    UpdateWindow(hWnd);
    return dynamic_cast<TKestrovaWnd*>(TIxFrm::FromHandle(hWnd));
}

void PointAt(const TKestrovaWnd& bar, POINT pt) {
    ClientToScreen(bar.m_hWnd, &pt);
    SetCursorPos(pt.x, pt.y);
}

void Paint(HWND hWnd, int times) {
    for (int i = 0; i < times; ++i) {
        InvalidateRect(hWnd, nullptr, FALSE);
        UpdateWindow(hWnd);
    }
}

} // namespace

int PaintsAndBars(int paints, int bars) {
    std::printf("\npaints and bars\n");
    LoadedPlugin plugin;
    plugin.host.accounts = {plugin.host.store.MakeAccount("K1", "1001")};
    plugin.host.funds = {plugin.host.store.MakeFunds("1001", "Base", {{host::Funds::Balance, 1234.5}})};
    int faults = 0;

    // Every column shown, under the mouse, so that the hot cell is drawn too.
    const std::string layout = ConfigDir() + "Kestrova.Show.pub";
    std::ofstream(layout, std::ios::binary) << LayoutIni(OrderedLayout([](int) { return true; }));
    TKestrovaWnd* bar = OpenBar(plugin.host, 0, 0, 2400, 50);
    DeleteFileA(layout.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, layout.c_str()); // the cached copy goes too
    if (!bar) {
        std::printf("  no bar opened\n");
        return 1;
    }
    PointAt(*bar, POINT{5, 5});
    SendMessageW(bar->m_hWnd, WM_MOUSEMOVE, 0, 0);
    Paint(bar->m_hWnd, 20); // Wine's caches settle
    const std::size_t gdiBefore = FreeGdiSlots();
    double start = Now();
    Paint(bar->m_hWnd, paints);
    const double seconds = Now() - start;
    const long long lost = static_cast<long long>(gdiBefore) - static_cast<long long>(FreeGdiSlots());
    std::printf("  %d paints of a 2400 x 50 bar with all 36 columns in %.1f s (%.0f us each): %lld GDI "
                "objects lost\n",
                paints, seconds, seconds * 1e6 / paints, lost);
    faults += lost != 0;

    // Wine keeps a few objects per window it has ever shown in caches that grow once to the
    // largest number of windows seen: a first round fills them, the second must leave nothing.
    const auto openAndFree = [&] {
        for (int i = 0; i < bars; ++i) {
            TKestrovaWnd* opened = OpenBar(plugin.host, 0, 60, 600, 50);
            if (!opened) {
                return false;
            }
            // Each bar also shows its account list once.
            const RECT& cell = opened->AccountCell();
            PointAt(*opened, POINT{(cell.left + cell.right) / 2, 25});
            SendMessageW(opened->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            UpdateWindow(opened->AccountList()->m_hWnd);
            ShowWindow(opened->AccountList()->m_hWnd, SW_HIDE);
        }
        plugin.Restart();
        return true;
    };
    start = Now();
    const bool opened = openAndFree();
    const std::size_t gdi = FreeGdiSlots(), user = FreeUserSlots();
    const bool reopened = opened && openAndFree();
    const long long lostGdi = static_cast<long long>(gdi) - static_cast<long long>(FreeGdiSlots());
    const long long lostUser = static_cast<long long>(user) - static_cast<long long>(FreeUserSlots());
    std::printf(
        "  2 x %d bars opened, their account lists shown, freed in %.1f s: %lld GDI and %lld USER objects "
        "lost by the second round%s\n",
        bars, Now() - start, lostGdi, lostUser, reopened ? "" : " (a bar failed to open)");
    faults += !reopened + (lostGdi != 0) + (lostUser != 0);
    return faults;
}

int NoticeFlood(int notices, int bars) {
    std::printf("\nfunds notice flood\n");
    LoadedPlugin plugin;
    host::TestHost& host = plugin.host;
    std::vector<std::string> accounts;
    for (int i = 0; i < bars; ++i) {
        accounts.push_back(std::to_string(2001 + i));
        host.accounts.push_back(host.store.MakeAccount("K" + accounts.back(), accounts.back()));
        host.funds.push_back(host.store.MakeFunds(accounts.back(), "Base", {{host::Funds::Balance, 1.0}}));
    }
    // Bar i shows account i.
    std::vector<TKestrovaWnd*> shown;
    for (int i = 0; i < bars; ++i) {
        TKestrovaWnd* bar = OpenBar(host, 0, 50 * i, 1600, 50);
        if (!bar) {
            std::printf("  no bar opened\n");
            return 1;
        }
        // As the host announces an account, the bar moves to it.
        g_strUserNo.Set(accounts[i]);
        SendMessageW(bar->m_hWnd, FBM_USERNOUPDATE, 0, 0);
        shown.push_back(bar);
    }
    PumpMessages();
    const HeldObjects heldBefore = HeldSinceStart();

    // The host's feed thread moves each record's balance, then tells the plug-in; the last
    // notice for account i carries the balance it ends with.
    std::atomic<bool> go{false};
    double posted = 0;
    std::thread feed([&] {
        while (!go) {
            std::this_thread::yield();
        }
        const double begin = Now();
        for (int n = 0; n < notices; ++n) {
            void* record = host.funds[n % bars];
            host::RecordStore::SetDouble(record, host::Funds::Balance, n + 1);
            host.SpiFundsNotice(record);
        }
        posted = Now() - begin;
    });

    const long long expected = static_cast<long long>(notices) * bars;
    long long handled = 0, paints = 0;
    const double start = Now();
    double lastPaint = start;
    go = true;
    // Bounded: a flood that is not handled in ten minutes is reported, not waited for.
    while (handled < expected && Now() - start < 600) {
        // Messages in bounded batches, so that the bars paint while the queue is never empty.
        MSG msg;
        for (int batch = 0; batch < 256 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++batch) {
            handled += msg.message == FBM_FUNDSCHANGED;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        // Every bar paints ten times a second.
        if (Now() - lastPaint >= 0.1) {
            for (TKestrovaWnd* bar : shown) {
                UpdateWindow(bar->m_hWnd);
            }
            paints += bars;
            lastPaint = Now();
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    const double seconds = Now() - start;
    feed.join();
    PumpMessages();

    int faults = handled != expected;
    int stale = 0;
    for (int i = 0; i < bars; ++i) {
        UpdateWindow(shown[i]->m_hWnd);
        int last = notices - 1;
        while (last >= 0 && last % bars != i) {
            --last;
        }
        wchar_t want[kTextChars] = {}, shows[kTextChars] = {};
        FormatFundsField(kBalanceColumn, accounts[i].c_str(), static_cast<const FundsRecord*>(host.funds[i]),
                         want);
        shown[i]->FormatFundsValue(kBalanceColumn, shows);
        stale += shown[i]->Selection().Funds() != host.funds[i] || std::wcscmp(want, shows) != 0 ||
                 host::RecordStore::Double(host.funds[i], host::Funds::Balance) != last + 1;
    }
    const HeldObjects heldAfter = HeldSinceStart();
    faults += stale + !(heldAfter <= heldBefore);
    std::printf(
        "  %d notices from the host's thread to %d bars: %lld of %lld bar messages handled in %.1f s, "
        "%.0f notices/s (%.0f bar messages/s), %lld bar paints meanwhile\n",
        notices, bars, handled, expected, seconds, double(handled) / bars / seconds,
        double(handled) / seconds, paints);
    std::printf(
        "  the host's thread made its %d calls in %.1f s; afterwards %d of %d bars show their account's "
        "last record\n",
        notices, posted, bars - stale, bars);
    std::printf(
        "  objects the process holds beyond those it started with: before the flood %s; after it %s\n",
        heldBefore.Text().c_str(), heldAfter.Text().c_str());
    return faults;
}

} // namespace soak
