// The plug-in's process-wide state seen from inside: shared fonts, the announced account
// number, the shared state across threads and the record container. Each suite runs in a
// process of its own.
#include "plugin/Exports.h"
#include "fundsbar/KestrovaWnd.h"
#include "base/FundsMessages.h"
#include "base/PluginState.h"
#include "toolkit/SharedDrawing.h"
#include "support/PluginHarness.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>
#include <utility>

// While it is set, freed funds bars are kept with every word of them this window's handle: a bar
// used after it went acts on that window instead of on memory that tells nothing.
static HWND g_hFreedBarMark = nullptr;

// Deletes that give no size go to the runtime's own operator as they are.
#pragma GCC diagnostic ignored "-Wsized-deallocation"
void operator delete(void* block, std::size_t size) noexcept {
    if (g_hFreedBarMark && size == sizeof(TKestrovaWnd)) {
        std::fill_n(static_cast<HWND*>(block), size / sizeof(HWND), g_hFreedBarMark);
        return;
    }
    ::operator delete(block);
}

TEST(PluginStateLifetime, FontsFollowTheLanguageAndAnnouncedAccountNumbersReachEveryBar) {
    const bool calibri = testing_support::CalibriExpected(); // and so the prefix has a face of that name
    // Language given, language stored, and whether the Chinese face is used.
    // clang-format off
    const std::tuple<int, int, bool> languages[] = {{0, 2052, false}, {2052, 2052, true}, {1028, 1028, true},
                                                    {1033, 1033, false}, {1041, 1041, false}};
    // clang-format on
    for (const auto& [language, stored, songTi] : languages) {
        OnPluginLoad(language);
        // Face, height and weight of the value, text and caption fonts.
        std::wstring fonts;
        for (HFONT font : {g_hValueFont.get(), g_hTextFont.get(), g_hCaptionFont.get()}) {
            LOGFONTW f = {};
            GetObjectW(font, sizeof(f), &f);
            fonts += f.lfFaceName +
                     (L" " + std::to_wstring(f.lfHeight) + L" " + std::to_wstring(f.lfWeight) + L"; ");
        }
        const std::wstring face = songTi ? L"宋体" : calibri ? L"Calibri" : L"Arial";
        const bool big = face == L"Calibri";
        EXPECT_EQ(fonts, face + (big ? L" 25 700; " : L" 20 700; ") + face + (big ? L" 18 0; " : L" 13 0; ") +
                             face + (big ? L" 20 0; " : L" 16 0; "));
        EXPECT_EQ(g_nLanguage, stored);
        OnPluginFree();
    }

    // Announcements are kept once a bar has been created, whether or not one is open when they come.
    host::TestHost host;
    OnPluginLoad(1033);
    OnPluginInit(host.PluginManager());
    g_strUserNo.Set("before");
    OnHostMessage(0, 0, "MouseOrder", "UserNo_Update", "UserNo=1001");
    EXPECT_EQ(g_strUserNo.Get(), "before");
    DestroyWindow(host.OpenWindow());
    OnHostMessage(0, 0, "MouseOrder", "UserNo_Update", "UserNo=1001");
    EXPECT_EQ(g_strUserNo.Get(), "1001");
    const std::vector<HWND> bars = {host.OpenWindow(), host.OpenWindow()};
    // Source, key, value, and the number then held: null when it is no announcement, which
    // then reaches no bar.
    // clang-format off
    const std::tuple<const char*, const char*, const char*, const char*> messages[] = {
        {"MouseOrder", "UserNo_Update", "UserNo=1001", "1001"}, {"KeyboardOrder", "UserNo_Update", "1002", "1002"},
        {"MouseOrder", "UserNo_Update", "a=b=c", "b=c"}, {"KeyboardOrder", "UserNo_Update", "UserNo=", ""},
        {"mouseOrder", "UserNo_Update", "9", nullptr}, {"MouseOrder ", "UserNo_Update", "9", nullptr},
        {"MouseOrder", "UserNo_update", "9", nullptr}, {"KeyboardOrder", "UserNo", "9", nullptr}};
    // clang-format on
    for (const auto& [source, key, value, userNo] : messages) {
        SCOPED_TRACE(std::string(source) + "|" + key + "|" + value);
        g_strUserNo.Set("before");
        host.SendHostMessage(2, source, key, value);
        EXPECT_EQ(g_strUserNo.Get(), userNo ? userNo : "before");
        EXPECT_EQ(testing_support::TakeBarMessages(),
                  userNo ? testing_support::OnceToEach(bars, FBM_USERNOUPDATE, 0)
                         : testing_support::Posted{});
    }
    // A host that docks one bar in another's pane: the inner bar goes with the outer one's window.
    SetParent(bars[1], bars[0]);
    g_hFreedBarMark = CreateWindowW(L"STATIC", nullptr, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    OnPluginFree();
    EXPECT_TRUE(IsWindow(g_hFreedBarMark));
    DestroyWindow(std::exchange(g_hFreedBarMark, nullptr));
}

namespace {

BarHandleList g_lockedList;
SharedText g_lockedText;

DWORD WINAPI WriteElsewhere(void*) {
    g_lockedList.Append(HWND(9));
    g_lockedList.Remove(HWND(9));
    g_lockedText.Set("elsewhere");
    return 0;
}

} // namespace

// Every operation, by whichever way it leaves, lets go of its lock: a thread of its own then
// takes the list and the text for writing at once (a lock left held would keep it waiting for
// ever; it is left behind after ten seconds).
TEST(PluginStateThreads, NoOperationLeavesItsLockHeld) {
    const std::pair<const char*, std::function<void()>> operations[] = {
        {"append", [] { g_lockedList.Append(HWND(1)); }},
        {"remove one listed", [] { g_lockedList.Remove(HWND(1)); }},
        {"remove one not listed", [] { g_lockedList.Remove(HWND(2)); }},
        {"size and emptiness", [] { g_lockedList.Empty(); }},
        {"walk", [] { g_lockedList.ForEach([](HWND) {}); }},
        {"set", [] { g_lockedText.Set("1001"); }},
        {"get", [] { g_lockedText.Get(); }},
    };
    for (const auto& [name, operation] : operations) {
        operation();
        // A thread of the system's own, waited for to its end: no runtime library's bookkeeping
        // of detached threads stands between a lock let go and the next writer.
        const HANDLE thread = CreateThread(nullptr, 0, &WriteElsewhere, nullptr, 0, nullptr);
        ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0) << name;
        CloseHandle(thread);
    }
}

// Host callbacks read the bar handles on threads of the host's own, while the user-interface
// thread adds bars and closed ones leave. Many short lists: the dangerous moments are when a
// list moves to larger storage and when its tail moves down over a removed handle.
TEST(PluginStateThreads, ReadersSeeTheHandleListWhole) {
    std::atomic<long> torn{0};
    for (int round = 0; round < 200; ++round) {
        BarHandleList list;
        std::atomic<bool> started{false}, done{false};
        std::thread reader([&] {
            for (; !done; started = true) {
                // Ascending and never null, whatever is appended or removed meanwhile.
                std::uintptr_t last = 0;
                list.ForEach([&](HWND h) {
                    const auto value = reinterpret_cast<std::uintptr_t>(h);
                    torn += value <= last || value == 0;
                    last = value;
                });
            }
        });
        while (!started) {
        }
        for (std::uintptr_t i = 1; i <= 2000; ++i) {
            list.Append(reinterpret_cast<HWND>(i));
            if (i > 2 && (i - 2) % 3 != 0) { // the one two back leaves unless a multiple of 3
                list.Remove(reinterpret_cast<HWND>(i - 2));
            }
        }
        done = true;
        reader.join();
        // Left: the multiples of 3 up to 1998, then 1999 and 2000.
        std::uintptr_t next = 3;
        list.ForEach([&](HWND h) {
            torn += reinterpret_cast<std::uintptr_t>(h) != std::exchange(next, next + (next < 1998 ? 3 : 1));
        });
        torn += next != 2001;
    }
    EXPECT_EQ(torn, 0);
}

TEST(PluginStateContainer, TheHostAddsRemovesAndReadsThroughTheTable) {
    using namespace host::container;
    TContainer list;
    void* const table = static_cast<IDataContainer*>(&list);
    char r[4] = {};
    for (char* record : {&r[0], &r[1], &r[0], &r[2], &r[0], &r[0]}) {
        Add(table, record);
    }
    for (char* record : {&r[0], &r[3], &r[0], &r[0]}) { // the first of four each time, and one absent
        Remove(table, record);
    }
    EXPECT_EQ(Count(table), 3);
    EXPECT_EQ(
        (std::vector<void*>{At(table, 0), At(table, 1), At(table, 2), At(table, 3), At(table, 0xFFFFFFFFu)}),
        (std::vector<void*>{&r[1], &r[2], &r[0], nullptr, nullptr}));
    Remove(table, &r[0]);
    EXPECT_TRUE(!list.Contains(&r[0]) && list.Contains(&r[1]));
    Clear(table);
    EXPECT_TRUE(list.Items().empty() && !list.Contains(&r[1]));
}
