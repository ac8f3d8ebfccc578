// The plug-in's process-wide state seen from inside: shared fonts, the bars' lists and the
// announced account number up to the free, the shared state across threads and the record
// container. Each suite runs in a process of its own.
#include "plugin/Exports.h"
#include "plugin/FundsMessages.h"
#include "plugin/PluginState.h"
#include "support/PluginHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <tuple>

namespace {

int CALLBACK AddFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM families) {
    reinterpret_cast<std::set<std::wstring>*>(families)->insert(font->lfFaceName);
    return 1;
}

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

TEST(PluginStateFonts, FaceAndHeightsFollowTheLanguageAndFreeReleasesThem) {
    std::set<std::wstring> families;
    LOGFONTW any = {0, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, {}};
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &any, &AddFamily, reinterpret_cast<LPARAM>(&families), 0);
    ReleaseDC(nullptr, screen);
    const bool calibri = families.count(L"Calibri") != 0;
    EXPECT_EQ(IsFontInstalled(L"Calibri"), calibri);
    EXPECT_TRUE(IsFontInstalled(families.rbegin()->c_str()));

    const std::tuple<int, int, bool> cases[] = {
        {0, 2052, false}, {2052, 2052, true}, {1028, 1028, true}, {1033, 1033, false}, {1041, 1041, false}};
    for (const auto& [language, stored, songTi] : cases) {
        SCOPED_TRACE(language);
        OnPluginLoad(language);
        EXPECT_EQ(g_nLanguage, stored);
        const std::wstring face = songTi ? L"宋体" : calibri ? L"Calibri" : L"Arial";
        const bool big = face == L"Calibri";
        EXPECT_EQ(Describe(g_hValueFont.get()), face + (big ? L" 25 700" : L" 20 700"));
        EXPECT_EQ(Describe(g_hTextFont.get()), face + (big ? L" 18 0" : L" 13 0"));
        EXPECT_EQ(Describe(g_hCaptionFont.get()), face + (big ? L" 20 0" : L" 16 0"));
        const HGDIOBJ shared[] = {g_hValueFont.get(), g_hTextFont.get(), g_hCaptionFont.get(),
                                  g_hBorderBrush.get(), g_hBackBrush.get()};
        OnPluginFree();
        for (HGDIOBJ object : shared) {
            EXPECT_EQ(GetObjectType(object), 0u) << object;
        }
    }
}

TEST(PluginStateBars, AnnouncedAccountNumberFromTheFirstBarToTheFree) {
    host::TestHost host;
    host.accounts = {host.store.MakeAccount("K1", "1001"), host.store.MakeAccount("K2", "1002")};
    OnPluginLoad(1033);
    OnPluginInit(host.PluginManager());
    if (g_vecWndHandles.Empty()) { // before any bar, the number is not written
        OnHostMessage(0, 0, "MouseOrder", "UserNo_Update", "1001");
        EXPECT_EQ(g_strUserNo.Get(), "");
    }
    const std::vector<HWND> bars = {host.OpenWindow(), host.OpenWindow()};
    EXPECT_EQ(AccountList().Count(), 2) << "each bar refills the accounts, adding nothing to them";

    // source, key, value, and the number then held: null when it is no announcement.
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"MouseOrder", "UserNo_Update", "UserNo=1001", "1001"},
        {"KeyboardOrder", "UserNo_Update", "1002", "1002"},
        {"MouseOrder", "UserNo_Update", "a=b=c", "b=c"},
        {"KeyboardOrder", "UserNo_Update", "UserNo=", ""},
        {"mouseOrder", "UserNo_Update", "9", nullptr},
        {"MouseOrder ", "UserNo_Update", "9", nullptr},
        {"MouseOrder", "UserNo_update", "9", nullptr},
        {"KeyboardOrder", "UserNo", "9", nullptr}};
    for (const auto& [source, key, value, userNo] : cases) {
        SCOPED_TRACE(std::string(source) + "|" + key + "|" + value);
        g_strUserNo.Set("before");
        host.SendHostMessage(1, source, key, value); // through the second bar
        EXPECT_EQ(g_strUserNo.Get(), userNo ? userNo : "before");
        EXPECT_EQ(testing_support::TakePosted(FBM_USERNOUPDATE, FBM_USERNOUPDATE),
                  userNo ? testing_support::OnceToEach(bars, FBM_USERNOUPDATE, 0) : "");
    }

    OnPluginFree();
    EXPECT_TRUE(g_vecWnds.empty());
    WNDCLASSW wc = {};
    EXPECT_FALSE(GetClassInfoW(GetModuleHandleW(nullptr), L"TKestrovaWnd", &wc)) << "class left registered";
    // Still written with every bar gone.
    OnHostMessage(0, 0, "KeyboardOrder", "UserNo_Update", "3002");
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
    namespace hc = host::container;
    TContainer list;
    void* const table = static_cast<IDataContainer*>(&list);
    char records[4] = {};
    void *a = &records[0], *b = &records[1], *c = &records[2], *d = &records[3];
    for (void* record : {a, b, a, c, a}) {
        hc::Add(table, record);
    }
    hc::Remove(table, a); // the first of three
    hc::Remove(table, d); // absent
    EXPECT_EQ(list.Items(), (std::vector<void*>{b, a, c, a}));
    EXPECT_TRUE(list.Contains(a));
    hc::Remove(table, a);
    hc::Remove(table, a);
    EXPECT_EQ(list.Items(), (std::vector<void*>{b, c}));
    EXPECT_FALSE(list.Contains(a));
    EXPECT_EQ(hc::At(table, 1), c);
    EXPECT_EQ(hc::At(table, 2), nullptr);
    EXPECT_EQ(hc::At(table, 0xFFFFFFFFu), nullptr);
    hc::Clear(table);
    EXPECT_EQ(hc::Count(table), 0);
    EXPECT_FALSE(list.Contains(b));
}
