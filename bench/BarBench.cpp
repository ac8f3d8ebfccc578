// Prints what a bar's paint and a funds notice cost, what a notice costs after thousands of
// bars came and went, and how long the column dialog takes to open, each against its floor.
// That paints and bars leave no GDI or USER object behind is checked by the tests
// (BarResources).
#include "fundsbar/KestrovaWnd.h"
#include "base/FundsMessages.h"
#include "base/Texts.h"
#include "plugin/Exports.h"
#include "support/TestSupport.h"
#include "toolkit/MemDC.h"
#include "writer/SampleLayouts.h"
#include "BenchSupport.h"

#include <algorithm>
#include <map>

namespace {

constexpr COLORREF kBarBackground = RGB(40, 40, 40);

using bench::FloorText;
using bench::Now;
using bench::PerCall;

// The titles and values a bar shows, laid out left to right as its cells are.
std::vector<FloorText> BarTexts(const TKestrovaWnd& bar) {
    std::vector<FloorText> texts;
    int x = 10;
    for (const ColumnSetting& setting : bar.Settings()) {
        wchar_t szValue[260] = {};
        bar.FormatFundsValue(setting.nColId, szValue);
        texts.push_back({g_hTextFont.get(), RGB(0, 220, 220), {x, 8}, GetColumnTitle(setting.nColId)});
        texts.push_back({g_hValueFont.get(), RGB(235, 229, 190), {x, 26}, szValue});
        x += 66;
    }
    return texts;
}

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

// Eight bars opened through the host, bar i on account i or all on account 0; stacked on
// screen, or where the host leaves them.
std::vector<HWND> OpenEightBars(Loaded& plugin, bool bStacked = false, bool bSameAccount = false) {
    std::vector<HWND> bars;
    for (int i = 0; i < 8; ++i) {
        g_strUserNo.Set(std::to_string(100000 + (bSameAccount ? 0 : i)));
        bars.push_back(plugin.host.OpenWindow());
        SendMessageW(bStacked ? Place(bars.back(), i * 50, 1200) : bars.back(), FBM_USERNOUPDATE, 0, 0);
    }
    testing_support::PumpMessages();
    return bars;
}

// Microseconds per funds notice to eight bars. With repaints, the bars are stacked on screen,
// each on an account of its own or all on the notified account, and each notice, about a
// record whose figures just moved, is handled to the end with every repaint it causes.
// Without, each is about any listed record and the notices alone are handled.
double PerNotice(int records, bool bRepaints, bool bShownByAll = false) {
    Loaded plugin(records);
    OpenEightBars(plugin, bRepaints, bShownByAll);
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

// Windows that take the bars' notices and do nothing with them.
LRESULT CALLBACK IdleWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return uMsg == FBM_FUNDSCHANGED ? 0 : DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

HWND CreatePlainWindow(const wchar_t* className, WNDPROC proc, DWORD exStyle, DWORD style, const RECT& rc,
                       HWND hParent) {
    const HINSTANCE hInstance = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = hInstance;
    wc.lpszClassName = className;
    RegisterClassW(&wc); // fails harmlessly once registered
    return CreateWindowExW(exStyle, className, nullptr, style, rc.left, rc.top, rc.right - rc.left,
                           rc.bottom - rc.top, hParent, nullptr, hInstance, nullptr);
}

// The plug-in with 64 records and eight bars, bar i on account i, beside eight idle windows.
struct EightBarsAndIdle : Loaded {
    EightBarsAndIdle() : Loaded(64) {
        OpenEightBars(*this);
        for (int i = 0; i < 8; ++i) {
            idle.push_back(
                CreatePlainWindow(L"KestrovaBenchIdle", &IdleWindowProc, 0, WS_POPUP, RECT{}, nullptr));
        }
    }
    ~EightBarsAndIdle() {
        for (HWND hWnd : idle) {
            DestroyWindow(hWnd);
        }
    }
    std::vector<HWND> idle;
};

// Microseconds per notice of the record chosen for call i: to the eight bars through the
// plug-in, or the same messages posted to the idle windows; handled to the end either way.
double NoticeCost(EightBarsAndIdle& plugin, bool bars, void* (*record)(Loaded&, int)) {
    return PerCall(1000, [&](int i) {
        void* funds = record(plugin, i);
        if (bars) {
            plugin.host.SpiFundsNotice(funds);
        } else {
            for (HWND hWnd : plugin.idle) {
                if (IsWindow(hWnd)) {
                    PostMessageW(hWnd, FBM_FUNDSCHANGED, 0, reinterpret_cast<LPARAM>(funds));
                }
            }
        }
        for (MSG msg; PeekMessageW(&msg, nullptr, FBM_FUNDSCHANGED, FBM_FUNDSCHANGED, PM_REMOVE);) {
            DispatchMessageW(&msg);
        }
    });
}

void* AnyRecord(Loaded& plugin, int i) {
    return plugin.host.funds[static_cast<std::size_t>(i) * 7919 % plugin.host.funds.size()];
}

// A notice to eight open bars costs the same after 10,000 bars came and went beside them. The
// figures before and after are taken minutes apart; each is also given against the same
// messages posted to idle windows at the same time, which a machine busy with other work slows
// alike.
void ClosedBarsLeave() {
    EightBarsAndIdle plugin;
    const auto measure = [&] {
        return bench::Measured(7, [&](bool bars) { return NoticeCost(plugin, bars, &AnyRecord); });
    };
    const auto before = measure();
    const double start = Now();
    for (int i = 0; i < 10000; ++i) {
        DestroyWindow(plugin.host.OpenWindow());
        if (i % 100 == 0) { // notices keep coming meanwhile
            plugin.host.SpiFundsNotice(plugin.host.funds[i % 64]);
            testing_support::PumpMessages();
        }
    }
    const double churn = (Now() - start) / 1e6;
    const auto after = measure();
    std::printf("funds notice to 8 open bars: %.2f us; after 10000 more bars opened and closed (in %.0f s): "
                "%.2f us; ratio %.2f (target at most 1.1); against posting to 8 idle windows at the time: "
                "%.2f before, %.2f after, ratio %.2f\n",
                before.first, churn, after.first, after.first / before.first, before.ratio, after.ratio,
                after.ratio / before.ratio);
}

// A notice about an account that no bar shows, against posting the same eight messages to eight
// windows that do nothing and taking them from the queue: how close the fan-out and the bars'
// handling come to the cost of the messages alone.
void UnrelatedNotice() {
    EightBarsAndIdle plugin;
    bench::Print(
        "funds notice about an account no bar shows, to 8 bars: %.2f us; the same messages posted to 8 "
        "idle windows: %.2f us; ratio %.2f\n",
        bench::Measured(9, [&](bool bars) {
            // The base record of account 8.
            return NoticeCost(plugin, bars, [](Loaded& loaded, int) { return loaded.host.funds[32]; });
        }));
}

// The windows the column dialog opens, watched from their creation: each one's paints are
// timed, and a timer of the dialog's, which comes only once nothing is left to paint, ends the
// dialog and notes where every window was.
struct DialogWatch {
    struct Shape {
        bool alive; // false for one made and destroyed again before the first paint was done
        DWORD style, exStyle;
        RECT rc;     // in its parent's client area, or on the screen for a top-level window
        int nParent; // index of its parent or owner among the windows made, -1 for another
    };
    static inline std::vector<HWND> made;
    static inline std::map<HWND, WNDPROC> procs;
    static inline std::vector<Shape> shapes;
    static inline double lastPaint = 0;

    static LRESULT CALLBACK Timed(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
        const LRESULT result = CallWindowProcW(procs[hWnd], hWnd, uMsg, wParam, lParam);
        if (uMsg == WM_PAINT) {
            lastPaint = Now();
        }
        return result;
    }
    static void CALLBACK Painted(HWND hDialog, UINT, UINT_PTR id, DWORD) {
        KillTimer(hDialog, id);
        shapes.clear();
        for (HWND hWnd : made) {
            const bool alive = IsWindow(hWnd);
            const bool child = GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD;
            const HWND hUp = child ? GetParent(hWnd) : GetWindow(hWnd, GW_OWNER);
            RECT rc = {};
            GetWindowRect(hWnd, &rc);
            MapWindowPoints(nullptr, child ? hUp : nullptr, reinterpret_cast<POINT*>(&rc), 2);
            const auto up = std::find(made.begin(), made.end(), hUp);
            shapes.push_back(Shape{alive, static_cast<DWORD>(GetWindowLongPtrW(hWnd, GWL_STYLE)),
                                   static_cast<DWORD>(GetWindowLongPtrW(hWnd, GWL_EXSTYLE)), rc,
                                   up == made.end() ? -1 : static_cast<int>(up - made.begin())});
        }
        PostMessageW(hDialog, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const HWND hWnd = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_CREATEWND) {
            made.push_back(hWnd);
            procs[hWnd] = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Timed)));
            wchar_t name[16] = {};
            if (GetClassNameW(hWnd, name, 16) && std::wstring(name) == L"TModalWnd") {
                SetTimer(hWnd, 1, USER_TIMER_MINIMUM, &Painted);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

// The floor's windows paint a fill through a double buffer and nothing else.
LRESULT CALLBACK EmptyWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg != WM_PAINT) {
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
    RECT rc = {};
    GetClientRect(hWnd, &rc);
    FillSolid(TMemDC(hWnd).GetSafeHdc(), rc, RGB(231, 231, 231));
    return 0;
}

// From the "Config Column" command to the dialog's first complete paint, against creating the
// same windows in the same places and painting them empty.
void DialogOpening() {
    Loaded plugin(64);
    const HWND hBar = Place(OpenEightBars(plugin)[0], 0, 1200);
    testing_support::PumpMessages();
    const auto open = [&] {
        DialogWatch::made.clear();
        DialogWatch::procs.clear();
        const HHOOK hook = SetWindowsHookExW(WH_CBT, &DialogWatch::Hook, nullptr, GetCurrentThreadId());
        const double start = Now();
        SendMessageW(hBar, WM_COMMAND, TKestrovaWnd::kConfigCommand, 0);
        const double opened = DialogWatch::lastPaint - start;
        UnhookWindowsHookEx(hook);
        testing_support::PumpMessages();
        return opened;
    };
    const auto floor = [&] {
        std::vector<HWND> made;
        const double start = Now();
        for (const DialogWatch::Shape& shape : DialogWatch::shapes) {
            made.push_back(!shape.alive ? nullptr
                                        : CreatePlainWindow(L"KestrovaBenchEmpty", &EmptyWindowProc,
                                                            shape.exStyle, shape.style, shape.rc,
                                                            shape.nParent < 0 ? hBar : made[shape.nParent]));
        }
        testing_support::PumpMessages();
        const double painted = Now() - start;
        DestroyWindow(made.front());
        testing_support::PumpMessages();
        return painted;
    };
    open(); // the classes registered, the caches filled
    bench::Print(
        "column dialog, from the command to its first complete paint: %.0f us; the same windows created "
        "and painted empty: %.0f us; ratio %.2f (target at most 1.5)\n",
        bench::Measured(9, [&](bool dialog) { return dialog ? open() : floor(); }));
}

} // namespace

int main() {
    {
        Loaded plugin(4);
        const testing_support::ConfigFolder config;
        config.Write("Kestrova.Show.pub", LayoutIni(OrderedLayout([](int) { return true; })));
        const HWND hBar = Place(plugin.host.OpenWindow(), 0, 2400);
        TKestrovaWnd& bar = *dynamic_cast<TKestrovaWnd*>(TIxFrm::FromHandle(hBar));
        bench::FloorWnd floor(kBarBackground);
        bench::FloorWnd textFloor(kBarBackground, BarTexts(bar));
        const HWND hFloor = Place(floor.m_hWnd, 0, 2400);
        const HWND hTextFloor = Place(textFloor.m_hWnd, 0, 2400);
        const auto paint = [](HWND hWnd) { return [hWnd] { bench::Repaint(hWnd); }; };
        bench::Print(
            "paint 2400x50, 36 columns: %.1f us; floor (fill and copy only): %.1f us; ratio %.2f (target at "
            "most 3)\n",
            bench::InTurn(15, 100, paint(hBar), paint(hFloor)));
        bench::Print(
            "paint 2400x50, 36 columns: %.1f us; floor with the same texts (fill, ExtTextOutW and copy): "
            "%.1f us; ratio %.2f (target at most 1.3)\n",
            bench::InTurn(15, 100, paint(hBar), paint(hTextFloor)));
    }
    bench::Print(
        "funds notice to 8 bars with repaints: none showing its account %.1f us, all showing it %.1f us; "
        "ratio %.3f (target well under 0.25)\n",
        bench::Measured(5, [](bool unrelated) { return PerNotice(64, true, !unrelated); }));
    double perNotice[3] = {};
    for (int i = 0, records = 100; i < 3; ++i, records *= 10) {
        perNotice[i] = PerNotice(records, false);
        std::printf("funds notice to 8 bars, %5d records listed: %.2f us per notice\n", records,
                    perNotice[i]);
    }
    std::printf("funds notice cost, 10000 records against 100: ratio %.2f (target at most 1.5)\n",
                perNotice[2] / perNotice[0]);
    UnrelatedNotice();
    DialogOpening();
    ClosedBarsLeave();
}
