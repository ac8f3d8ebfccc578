// A trading day in one process: bars opened and closed by the thousand, the column dialog opened
// and ended every way there is, accounts announced and switched, and funds notices coming from a
// thread of the host's all the while. What the process holds and what a notice costs are taken
// at the start and at the end of the day: they must not grow.
#include "columns/ConfigCol.h"
#include "fundsbar/KestrovaWnd.h"
#include "base/FundsMessages.h"
#include "soak/Soak.h"
#include "support/ModalScript.h"
#include "support/TestSupport.h"

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace soak {

namespace {

using testing_support::ClickAt;
using testing_support::PumpMessages;

constexpr int kAccounts = 8;
constexpr int kOpenBars = 8;
constexpr POINT kShowAll = {340, 115}, kHideAll = {340, 145}, kOK = {340, 450}, kCancel = {340, 480};

enum class DialogEnd { OK, Cancel, Escape, Quit, BarClosed, Count };
const char* const kEndNames[] = {"OK", "Cancel", "Escape", "a quit", "its bar closed"};

// The process's private (committed) memory. Wine leaves PrivateUsage 0 and gives the same
// figure as PagefileUsage, which Windows keeps equal to it.
double PrivateMegabytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof(counters));
    return double(std::max(counters.PrivateUsage, counters.PagefileUsage)) / (1024.0 * 1024.0);
}

// The host's trade-data thread: funds notices about every account's records, and now and then
// the notice that the accounts changed, until told to stop or to pause.
class Feed {
public:
    explicit Feed(host::TestHost& host) : m_host(host), m_thread([this] { Run(); }) {}
    ~Feed() {
        m_stop = true;
        m_thread.join();
    }
    void Pause(bool paused) {
        m_paused = paused;
        while (paused && m_inNotice) {
            std::this_thread::yield();
        }
    }
    long long Notices() const { return m_notices; }

private:
    void Run() {
        for (long long n = 0; !m_stop; ++n) {
            if (m_paused) {
                Sleep(1);
                continue;
            }
            m_inNotice = true;
            if (!m_paused) {
                void* record = m_host.funds[static_cast<std::size_t>(n) % m_host.funds.size()];
                host::RecordStore::SetDouble(record, host::Funds::Balance, double(n));
                m_host.SpiFundsNotice(record);
                if (n % 200 == 199) {
                    m_host.SpiAccountsNotice(1, 0);
                }
                ++m_notices;
            }
            m_inNotice = false;
            Sleep(5);
        }
    }
    host::TestHost& m_host;
    std::atomic<bool> m_stop{false}, m_paused{false}, m_inNotice{false};
    std::atomic<long long> m_notices{0};
    std::thread m_thread;
};

LRESULT CALLBACK IdleWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return uMsg == FBM_FUNDSCHANGED ? 0 : DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

// Microseconds per funds notice to the open bars, handled to the end, with the feed paused; and
// the same against posting as many messages to windows that do nothing with them, measured in
// turn, which a machine busy with other work slows alike.
struct NoticeCost {
    double us, ratio;
};
NoticeCost MeasureNotice(host::TestHost& host, Feed& feed, const std::vector<HWND>& idle) {
    feed.Pause(true);
    PumpMessages();
    std::vector<double> costs, ratios;
    for (int round = 0; round < 7; ++round) {
        double spent[2] = {};
        for (int floor = 0; floor < 2; ++floor) {
            const double start = Now();
            for (int i = 0; i < 200; ++i) {
                void* record = host.funds[static_cast<std::size_t>(i) % host.funds.size()];
                if (floor) {
                    for (HWND hWnd : idle) {
                        PostMessageW(hWnd, FBM_FUNDSCHANGED, 0, reinterpret_cast<LPARAM>(record));
                    }
                } else {
                    host.SpiFundsNotice(record);
                }
                for (MSG msg; PeekMessageW(&msg, nullptr, FBM_FUNDSCHANGED, FBM_FUNDSCHANGED, PM_REMOVE);) {
                    DispatchMessageW(&msg);
                }
            }
            spent[floor] = (Now() - start) * 1e6 / 200;
        }
        costs.push_back(spent[0]);
        ratios.push_back(spent[0] / spent[1]);
    }
    feed.Pause(false);
    std::sort(costs.begin(), costs.end());
    std::sort(ratios.begin(), ratios.end());
    return NoticeCost{costs[costs.size() / 2], ratios[ratios.size() / 2]};
}

// One run of the dialog on a bar, edited and then ended the given way. False when it did not
// run through, or a quit did not reach this (the host's) loop with its code.
bool RunDialog(HWND hBar, DialogEnd end, int code) {
    const bool ran =
        testing_support::RunModal({[&](HWND hDialog) { ClickAt(hDialog, code % 2 ? kHideAll : kShowAll); },
                                   [&](HWND hDialog) {
                                       switch (end) {
                                       case DialogEnd::OK:
                                           ClickAt(hDialog, kOK);
                                           break;
                                       case DialogEnd::Cancel:
                                           ClickAt(hDialog, kCancel);
                                           break;
                                       case DialogEnd::Escape:
                                           PostMessageW(hDialog, WM_KEYDOWN, VK_ESCAPE, 0);
                                           break;
                                       case DialogEnd::Quit:
                                           PostQuitMessage(code);
                                           break;
                                       default:
                                           DestroyWindow(hBar);
                                           break;
                                       }
                                   }},
                                  [&] { SendMessageW(hBar, WM_COMMAND, TKestrovaWnd::kConfigCommand, 0); });
    if (end != DialogEnd::Quit) {
        return ran;
    }
    MSG msg = {};
    return ran && PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && msg.wParam == WPARAM(code);
}

struct DayFigures {
    HeldObjects held;
    double privateMb;
    NoticeCost notice;
    void Print(const char* when) const {
        std::printf("  %-7s %s, %.1f MB private, %.1f us per notice to the open bars (%.2f times posting to "
                    "idle windows)\n",
                    when, held.Text().c_str(), privateMb, notice.us, notice.ratio);
    }
};

} // namespace

int TradingDay(int hours) {
    std::printf("\na trading day in one process\n");
    LoadedPlugin plugin;
    host::TestHost& host = plugin.host;
    for (int i = 0; i < kAccounts; ++i) {
        const std::string account = std::to_string(3001 + i);
        host.accounts.push_back(host.store.MakeAccount("K" + account, account));
        for (const char* currency : {"Base", "CNY", "USD"}) {
            host.funds.push_back(host.store.MakeFunds(account, currency, {{host::Funds::Balance, 1.0}}));
        }
    }
    for (const char* currency : {"Base", "CNY", "USD"}) {
        host.currencies.push_back(host.store.MakeCurrency(currency));
    }
    int faults = 0;
    long long modalBegins = 0, modalEnds = 0, barsOpened = 0;
    int endings[int(DialogEnd::Count)] = {}, failedEndings[int(DialogEnd::Count)] = {};
    std::vector<HWND> open;
    Feed feed(host);

    // An hour: bars opened (each placed and shown), the oldest closed by the host, an account
    // announced, and one dialog run ended the hour's way.
    const auto hour = [&](int h, int bars) {
        for (int i = 0; i < bars; ++i) {
            const HWND hBar = host.OpenWindow();
            SetWindowLongPtrW(hBar, GWL_STYLE, WS_POPUP | WS_CLIPCHILDREN);
            SetWindowPos(hBar, HWND_TOP, 0, 50 * (i % 8), 1200, 50, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
            UpdateWindow(hBar);
            open.push_back(hBar);
            ++barsOpened;
            if (open.size() > kOpenBars) {
                DestroyWindow(open.front());
                open.erase(open.begin());
            }
            PumpMessages();
        }
        const std::string announced = "UserNo=" + std::to_string(3001 + h % kAccounts);
        host.SendHostMessage(0, h % 2 ? "MouseOrder" : "KeyboardOrder", "UserNo_Update", announced.c_str());
        PumpMessages();
        const auto end = static_cast<DialogEnd>(h % int(DialogEnd::Count));
        const HWND hBar = open[static_cast<std::size_t>(h) % open.size()];
        ++endings[int(end)];
        if (!RunDialog(hBar, end, 100 + h)) {
            ++failedEndings[int(end)];
        }
        if (end == DialogEnd::BarClosed) {
            open.erase(std::find(open.begin(), open.end(), hBar));
        }
        PumpMessages();
        modalBegins += host.Calls(host::Iface::MainFrame, host::slot::OnModalBegin).size();
        modalEnds += host.Calls(host::Iface::MainFrame, host::slot::OnModalEnd).size();
        host.ClearCalls(); // the host's record of calls is no part of the plug-in's memory
    };
    std::vector<HWND> idle;
    for (int i = 0; i < kOpenBars; ++i) {
        idle.push_back(CreateWindowExW(0, L"STATIC", nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr));
        SetWindowLongPtrW(idle.back(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&IdleWindowProc));
    }
    const auto figures = [&] {
        PumpMessages();
        return DayFigures{HeldSinceStart(), PrivateMegabytes(), MeasureNotice(host, feed, idle)};
    };

    // The first hours fill Wine's caches of windows ever shown and of dialog runs.
    for (int h = 0; h < 2 * int(DialogEnd::Count); ++h) {
        hour(h, 20);
    }
    const DayFigures start = figures();
    const double began = Now();
    DayFigures noon = start;
    for (int h = 0; h < hours; ++h) {
        hour(h, 20);
        if (h == hours / 2) {
            noon = figures();
        }
    }
    const double seconds = Now() - began;
    const DayFigures end = figures();
    for (HWND hWnd : idle) {
        DestroyWindow(hWnd);
    }
    const bool listsTrue = g_vecWnds.size() == open.size() && g_vecWndHandles.Size() == open.size();

    std::printf("  %d hours in %.0f s: %lld bars opened and %lld closed, %lld funds notices from the host's "
                "thread, %lld dialog runs\n",
                hours, seconds, barsOpened, barsOpened - static_cast<long long>(open.size()), feed.Notices(),
                modalBegins);
    for (int e = 0; e < int(DialogEnd::Count); ++e) {
        std::printf("    %3d ended by %s, %d of them not as they should\n", endings[e], kEndNames[e],
                    failedEndings[e]);
        faults += failedEndings[e];
    }
    std::printf("  OnModalBegin %lld times, OnModalEnd %lld times; the plug-in lists %zu bars, %zu open\n",
                modalBegins, modalEnds, g_vecWnds.size(), open.size());
    start.Print("start:");
    noon.Print("noon:");
    end.Print("end:");
    // Memory within a tenth of its start, and the notice's cost against the idle windows' within
    // a half, allowing for the heap's slack and a machine busy with other work.
    const bool flat = end.held <= start.held && end.privateMb <= start.privateMb * 1.1 + 1.0 &&
                      end.notice.ratio <= start.notice.ratio * 1.5;
    faults += (modalBegins != modalEnds) + !listsTrue + !flat;
    return faults;
}

} // namespace soak
