// The plug-in's process-wide state seen from inside: shared fonts, the bars' handles and the
// announced account number up to the free, the shared state across threads and the record
// container. Each suite runs in a process of its own.
#include "plugin/entry/Exports.h"
#include "plugin/FundsMessages.h"
#include "plugin/PluginState.h"
#include "toolkit/SharedDrawing.h"
#include "support/PluginHarness.h"

#include <atomic>
#include <thread>
#include <tuple>

namespace {

// "Face height weight", and "odd" when any other attribute is not that of the shared fonts.
std::wstring Describe(HFONT font) {
    LOGFONTW f = {};
    GetObjectW(font, sizeof(f), &f);
    const bool odd = f.lfWidth || f.lfEscapement || f.lfOrientation || f.lfItalic || f.lfUnderline ||
                     f.lfStrikeOut || f.lfCharSet != DEFAULT_CHARSET ||
                     f.lfOutPrecision != OUT_OUTLINE_PRECIS || f.lfClipPrecision != CLIP_DEFAULT_PRECIS ||
                     f.lfQuality != CLEARTYPE_QUALITY || f.lfPitchAndFamily != VARIABLE_PITCH;
    return f.lfFaceName + (L" " + std::to_wstring(f.lfHeight) + L" " + std::to_wstring(f.lfWeight)) +
           (odd ? L" odd" : L"");
}

} // namespace

TEST(PluginStateLifetime, FontsFollowTheLanguageAccountNumbersReachTheBarsAndTheFreeReleasesAll) {
    const bool calibri = testing_support::CalibriExpected();
    ASSERT_EQ(IsFontInstalled(L"Calibri"), calibri) << "the prefix has the other face branch";
    // Language given, language stored, and whether the Chinese face is used.
    const std::tuple<int, int, bool> languages[] = {
        {0, 2052, false}, {2052, 2052, true}, {1028, 1028, true}, {1033, 1033, false}, {1041, 1041, false}};
    for (const auto& [language, stored, songTi] : languages) {
        SCOPED_TRACE(language);
        OnPluginLoad(language);
        EXPECT_EQ(g_nLanguage, stored);
        const std::wstring face = songTi ? L"宋体" : calibri ? L"Calibri" : L"Arial";
        const bool big = face == L"Calibri";
        EXPECT_EQ(Describe(g_hValueFont.get()), face + (big ? L" 25 700" : L" 20 700"));
        EXPECT_EQ(Describe(g_hTextFont.get()), face + (big ? L" 18 0" : L" 13 0"));
        EXPECT_EQ(Describe(g_hCaptionFont.get()), face + (big ? L" 20 0" : L" 16 0"));
        host::TestHost host;
        OnPluginInit(host.PluginManager());
        if (language == 0) { // before the process's first bar, an announcement is not kept
            OnHostMessage(0, 0, "MouseOrder", "UserNo_Update", "1001");
            EXPECT_EQ(g_strUserNo.Get(), "");
        }
        host.OpenWindow();
        const HGDIOBJ shared[] = {g_hValueFont.get(), g_hTextFont.get(), g_hCaptionFont.get(),
                                  g_hBorderBrush.get(), g_hBackBrush.get()};
        OnPluginFree();
        for (HGDIOBJ object : shared) {
            EXPECT_EQ(GetObjectType(object), 0u) << object;
        }
        WNDCLASSW wc = {};
        EXPECT_FALSE(GetClassInfoW(GetModuleHandleW(nullptr), L"TKestrovaWnd", &wc))
            << "class left registered";
    }

    // Source, key, value, and the number then held: null when it is no announcement, which
    // then reaches no bar.
    const std::tuple<const char*, const char*, const char*, const char*> messages[] = {
        {"MouseOrder", "UserNo_Update", "UserNo=1001", "1001"},
        {"KeyboardOrder", "UserNo_Update", "1002", "1002"},
        {"MouseOrder", "UserNo_Update", "a=b=c", "b=c"},
        {"KeyboardOrder", "UserNo_Update", "UserNo=", ""},
        {"mouseOrder", "UserNo_Update", "9", nullptr},
        {"MouseOrder ", "UserNo_Update", "9", nullptr},
        {"MouseOrder", "UserNo_update", "9", nullptr},
        {"KeyboardOrder", "UserNo", "9", nullptr}};
    OnPluginLoad(1033);
    host::TestHost host;
    OnPluginInit(host.PluginManager());
    const std::vector<HWND> bars = {host.OpenWindow(), host.OpenWindow()};
    for (const auto& [source, key, value, userNo] : messages) {
        SCOPED_TRACE(std::string(source) + "|" + key + "|" + value);
        g_strUserNo.Set("before");
        host.SendHostMessage(1, source, key, value);
        EXPECT_EQ(g_strUserNo.Get(), userNo ? userNo : "before");
        EXPECT_EQ(testing_support::TakeBarMessages(),
                  userNo ? testing_support::OnceToEach(bars, FBM_USERNOUPDATE, 0)
                         : testing_support::Posted{});
    }
    OnPluginFree();
    OnHostMessage(0, 0, "KeyboardOrder", "UserNo_Update", "3002"); // still kept with every bar gone
    EXPECT_EQ(g_strUserNo.Get(), "3002");
}

// Host callbacks read the bar handles and the account number on threads of the host's own,
// while the user-interface thread changes them.
TEST(PluginStateThreads, ReadersSeeTheHandleListAndTheAccountNumberWhole) {
    const std::string texts[] = {std::string(300, 'a'), std::string(1000, 'b')};
    long torn = 0;
    // Many short lists: the dangerous moment is when a list moves to larger storage.
    for (int round = 0; round < 200; ++round) {
        BarHandleList list;
        SharedText text;
        text.Set(texts[0]);
        std::atomic<bool> started{false}, done{false};
        std::thread reader([&] {
            do {
                std::uintptr_t next = 1;
                list.ForEach([&](HWND h) { torn += reinterpret_cast<std::uintptr_t>(h) != next++; });
                const std::string seen = text.Get();
                torn += seen != texts[0] && seen != texts[1];
                started = true;
            } while (!done);
        });
        while (!started) {
            std::this_thread::yield();
        }
        for (std::uintptr_t i = 1; i <= 2000; ++i) {
            list.Append(reinterpret_cast<HWND>(i));
            text.Set(texts[i % 2]);
        }
        done = true;
        reader.join();
    }
    EXPECT_EQ(torn, 0);
}

TEST(PluginStateContainer, TheHostAddsRemovesAndReadsThroughTheTable) {
    using namespace host::container;
    TContainer list;
    void* const table = static_cast<IDataContainer*>(&list);
    char r[4] = {};
    for (char* record : {&r[0], &r[1], &r[0], &r[2], &r[0]}) {
        Add(table, record);
    }
    Remove(table, &r[0]); // the first of three
    Remove(table, &r[3]); // absent
    EXPECT_EQ(list.Items(), (std::vector<void*>{&r[1], &r[0], &r[2], &r[0]}));
    Remove(table, &r[0]);
    EXPECT_TRUE(list.Contains(&r[0]));
    Remove(table, &r[0]);
    EXPECT_FALSE(list.Contains(&r[0]));
    EXPECT_EQ(Count(table), 2);
    EXPECT_EQ(At(table, 1), &r[2]);
    EXPECT_EQ(At(table, 2), nullptr);
    EXPECT_EQ(At(table, 0xFFFFFFFFu), nullptr);
    Clear(table);
    EXPECT_TRUE(list.Items().empty() && !list.Contains(&r[1]));
}
