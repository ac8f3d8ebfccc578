// The plug-in's process-wide state seen from inside: shared fonts and brushes, what the
// factory and teardown leave behind, the announced account number and the record container.
// The globals live for the whole test process, and every suite runs in a process of its own.
#include "fundsbar/KestrovaWnd.h"
#include "plugin/Exports.h"
#include "plugin/PluginState.h"
#include "support/PluginHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cwctype>
#include <set>
#include <string>
#include <thread>

namespace {

// Face names as the system lists font families, gathered without the plug-in's own code.
int CALLBACK CollectFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM context) {
    reinterpret_cast<std::set<std::wstring>*>(context)->insert(font->lfFaceName);
    return 1;
}

std::set<std::wstring> InstalledFamilies() {
    std::set<std::wstring> families;
    HDC screen = GetDC(nullptr);
    LOGFONTW filter = {};
    filter.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(screen, &filter, &CollectFamily, reinterpret_cast<LPARAM>(&families), 0);
    ReleaseDC(nullptr, screen);
    return families;
}

LOGFONTW FontOf(HFONT font) {
    LOGFONTW lf = {};
    EXPECT_EQ(GetObjectW(font, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    return lf;
}

void ExpectFont(const char* name, HFONT font, const std::wstring& face, LONG height, LONG weight) {
    SCOPED_TRACE(name);
    ASSERT_NE(font, nullptr);
    const LOGFONTW lf = FontOf(font);
    EXPECT_EQ(std::wstring(lf.lfFaceName), face);
    EXPECT_EQ(lf.lfHeight, height);
    EXPECT_EQ(lf.lfWeight, weight);
    EXPECT_EQ(lf.lfWidth, 0);
    EXPECT_EQ(lf.lfEscapement, 0);
    EXPECT_EQ(lf.lfOrientation, 0);
    EXPECT_EQ(lf.lfItalic, 0);
    EXPECT_EQ(lf.lfUnderline, 0);
    EXPECT_EQ(lf.lfStrikeOut, 0);
    EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(lf.lfOutPrecision, OUT_OUTLINE_PRECIS);
    EXPECT_EQ(lf.lfClipPrecision, CLIP_DEFAULT_PRECIS);
    EXPECT_EQ(lf.lfQuality, CLEARTYPE_QUALITY);
    EXPECT_EQ(lf.lfPitchAndFamily, VARIABLE_PITCH);
}

void ExpectSharedFonts(const std::wstring& face, LONG value, LONG text, LONG caption) {
    ExpectFont("value font", g_hValueFont.get(), face, value, FW_BOLD);
    ExpectFont("text font", g_hTextFont.get(), face, text, FW_DONTCARE);
    ExpectFont("caption font", g_hCaptionFont.get(), face, caption, FW_DONTCARE);
}

const std::wstring kSongTi = L"宋体";

struct LatinFace {
    std::wstring face;
    LONG value, text, caption;
};

LatinFace ExpectedLatinFace() {
    if (InstalledFamilies().count(L"Calibri") != 0) {
        return {L"Calibri", 25, 18, 20};
    }
    return {L"Arial", 20, 13, 16};
}

std::vector<HGDIOBJ> SharedGdiObjects() {
    return {g_hValueFont.get(), g_hTextFont.get(), g_hCaptionFont.get(), g_hBorderBrush.get(),
            g_hBackBrush.get()};
}

std::vector<HWND> ListedHandles() {
    std::vector<HWND> handles;
    g_vecWndHandles.ForEach([&](HWND hWnd) { handles.push_back(hWnd); });
    return handles;
}

// A funds bar that notes its own deletion and whether its window was still there.
struct DeletionLog {
    int nDeleted = 0;
    int nWindowStillThere = 0;
};

class LoggedBar : public TKestrovaWnd {
public:
    explicit LoggedBar(DeletionLog& log) : m_log(log) {}
    ~LoggedBar() override {
        ++m_log.nDeleted;
        if (m_hCreated && IsWindow(m_hCreated)) {
            ++m_log.nWindowStillThere;
        }
    }
    void Open() {
        CreateBar();
        m_hCreated = m_hWnd;
    }
    HWND m_hCreated = nullptr;

private:
    DeletionLog& m_log;
};

} // namespace

TEST(SharedFonts, IsFontInstalledMatchesWholeFamilyNamesExactly) {
    const std::set<std::wstring> families = InstalledFamilies();
    ASSERT_FALSE(families.empty());
    EXPECT_EQ(IsFontInstalled(L"Calibri"), families.count(L"Calibri") != 0);

    const std::wstring face = *families.rbegin();
    EXPECT_TRUE(IsFontInstalled(face.c_str()));
    std::wstring upper = face;
    for (wchar_t& c : upper) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    if (families.count(upper) == 0) {
        EXPECT_FALSE(IsFontInstalled(upper.c_str())) << testing_support::Utf8(upper);
    }
    const std::wstring variants[] = {face.substr(0, face.size() - 1), face + L" ", face + L"x", L""};
    for (const std::wstring& variant : variants) {
        if (families.count(variant) == 0) {
            EXPECT_FALSE(IsFontInstalled(variant.c_str()));
        }
    }
    EXPECT_FALSE(IsFontInstalled(L"Kestrova No Such Face"));
}

TEST(SharedFonts, ZeroMeansSimplifiedChineseDrawnInTheLatinFace) {
    OnPluginLoad(0);
    EXPECT_EQ(g_nLanguage, 2052);
    const LatinFace latin = ExpectedLatinFace();
    ExpectSharedFonts(latin.face, latin.value, latin.text, latin.caption);
    OnPluginFree();
}

TEST(SharedFonts, ChineseLanguagesUseSongTi) {
    for (int language : {2052, 1028}) {
        SCOPED_TRACE(language);
        OnPluginLoad(language);
        EXPECT_EQ(g_nLanguage, language);
        ExpectSharedFonts(kSongTi, 20, 13, 16);
        OnPluginFree();
    }
}

TEST(SharedFonts, OtherLanguagesAreKeptAndUseTheLatinFace) {
    const LatinFace latin = ExpectedLatinFace();
    for (int language : {1033, 1041, -1}) {
        SCOPED_TRACE(language);
        OnPluginLoad(language);
        EXPECT_EQ(g_nLanguage, language);
        ExpectSharedFonts(latin.face, latin.value, latin.text, latin.caption);
        OnPluginFree();
    }
}

TEST(SharedFonts, BrushesAreSolidGreys) {
    OnPluginLoad(1033);
    const std::pair<HBRUSH, COLORREF> brushes[] = {{g_hBorderBrush.get(), 0x969696},
                                                   {g_hBackBrush.get(), 0xE7E7E7}};
    for (const auto& brush : brushes) {
        LOGBRUSH lb = {};
        ASSERT_EQ(GetObjectW(brush.first, sizeof(lb), &lb), static_cast<int>(sizeof(lb)));
        EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_SOLID));
        EXPECT_EQ(lb.lbColor, brush.second);
    }
    OnPluginFree();
}

TEST(PluginFree, ReleasesTheSharedObjectsAndEveryBar) {
    host::TestHost host;
    OnPluginLoad(1033);
    OnPluginInit(host.PluginManager());
    std::vector<HWND> bars;
    for (int i = 0; i < 3; ++i) {
        bars.push_back(host.OpenWindow());
    }
    // Two bars of our own beside the factory's, one of them closed by the host, and a gap.
    DeletionLog log;
    LoggedBar* open = new LoggedBar(log);
    LoggedBar* closed = new LoggedBar(log);
    open->Open();
    closed->Open();
    ASSERT_TRUE(DestroyWindow(closed->m_hCreated));
    g_vecWnds.push_back(open);
    g_vecWnds.push_back(nullptr);
    g_vecWnds.push_back(closed);

    const std::vector<HGDIOBJ> gdi = SharedGdiObjects();
    for (HGDIOBJ object : gdi) {
        ASSERT_NE(GetObjectType(object), 0u);
    }
    const std::vector<HWND> listed = ListedHandles();

    OnPluginFree();

    for (HGDIOBJ object : gdi) {
        EXPECT_EQ(GetObjectType(object), 0u) << object;
    }
    for (HGDIOBJ object : SharedGdiObjects()) {
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_TRUE(g_vecWnds.empty());
    EXPECT_EQ(log.nDeleted, 2);
    EXPECT_EQ(log.nWindowStillThere, 0);
    for (HWND hWnd : bars) {
        EXPECT_FALSE(IsWindow(hWnd));
    }
    // Handles stay listed; notices keep skipping them.
    EXPECT_EQ(ListedHandles(), listed);
}

TEST(PluginFree, ABarCanBeOpenedAgainAfterALaterLoad) {
    host::TestHost host;
    OnPluginLoad(1033);
    OnPluginInit(host.PluginManager());
    host.OpenWindow();
    OnPluginFree();
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), L"TKestrovaWnd", &wc));

    OnPluginLoad(1033);
    OnPluginInit(host.PluginManager());
    const HWND hWnd = host.OpenWindow();
    ASSERT_TRUE(IsWindow(hWnd));
    ASSERT_EQ(g_vecWnds.size(), 1u);
    EXPECT_EQ(g_vecWnds[0]->m_hWnd, hWnd);
    OnPluginFree();
    EXPECT_FALSE(IsWindow(hWnd));
}

TEST(BarFactoryState, ListsEachBarWithItsWindowAndRefillsTheAccounts) {
    host::TestHost host;
    void* first = host.store.MakeAccount("K1", "1001");
    void* second = host.store.MakeAccount("K2", "1002");
    host.accounts = {first, second};
    OnPluginLoad(1033);
    OnPluginInit(host.PluginManager());
    const std::vector<HWND> before = ListedHandles();

    const HWND h1 = host.OpenWindow();
    const HWND h2 = host.OpenWindow();
    ASSERT_EQ(g_vecWnds.size(), 2u);
    EXPECT_EQ(g_vecWnds[0]->m_hWnd, h1);
    EXPECT_EQ(g_vecWnds[1]->m_hWnd, h2);
    std::vector<HWND> expected = before;
    expected.push_back(h1);
    expected.push_back(h2);
    EXPECT_EQ(ListedHandles(), expected);

    // Each bar refills the list; nothing is appended to what an earlier bar left.
    ASSERT_EQ(AccountList().Count(), 2);
    EXPECT_EQ(AccountList().At(0), first);
    EXPECT_EQ(AccountList().At(1), second);
    host.accounts = {second};
    host.OpenWindow();
    ASSERT_EQ(AccountList().Count(), 1);
    EXPECT_EQ(AccountList().At(0), second);
    OnPluginFree();
}

TEST(HostMessageUserNo, KeepsTheTextAfterTheFirstEquals) {
    host::TestHost host;
    OnPluginLoad(1033);
    OnPluginInit(host.PluginManager());
    host.OpenWindow();

    const std::pair<const char*, const char*> cases[] = {{"UserNo=1001", "1001"},
                                                         {"1002", "1002"},
                                                         {"UserNo=", ""},
                                                         {"a=b=c", "b=c"},
                                                         {"=1003", "1003"},
                                                         {"", ""},
                                                         {"=", ""},
                                                         {"UserNo=\xD5\xC5\xC8\xFD", "\xD5\xC5\xC8\xFD"}};
    for (const auto& c : cases) {
        OnHostMessage(0, 0, "MouseOrder", "UserNo_Update", c.first);
        EXPECT_EQ(g_strUserNo.Get(), c.second) << "value '" << c.first << "'";
    }
    OnHostMessage(0, 0, "KeyboardOrder", "UserNo_Update", "UserNo=2001");
    EXPECT_EQ(g_strUserNo.Get(), "2001");

    // Messages that are not account announcements leave it alone.
    OnHostMessage(0, 0, "mouseOrder", "UserNo_Update", "UserNo=9");
    OnHostMessage(0, 0, "MouseOrder", "UserNo_update", "UserNo=9");
    OnHostMessage(0, 0, "Quote", "UserNo_Update", "9");
    EXPECT_EQ(g_strUserNo.Get(), "2001");
    testing_support::TakeAllPosted(WM_USER, 0x7FFF);
    OnPluginFree();
}

TEST(HostMessageUserNo, StillStoredWhenEveryBarIsGone) {
    host::TestHost host;
    OnPluginLoad(1033);
    OnPluginInit(host.PluginManager());
    const HWND hWnd = host.OpenWindow();
    ASSERT_TRUE(DestroyWindow(hWnd));
    OnHostMessage(0, 0, "MouseOrder", "UserNo_Update", "UserNo=3001");
    EXPECT_EQ(g_strUserNo.Get(), "3001");

    OnPluginFree();
    OnHostMessage(0, 0, "KeyboardOrder", "UserNo_Update", "3002");
    EXPECT_EQ(g_strUserNo.Get(), "3002");
    EXPECT_TRUE(testing_support::TakeAllPosted(WM_USER, 0x7FFF).empty());
}

TEST(HostMessageBeforeAnyBar, LeavesTheAccountNumberAndPostsNothing) {
    if (!g_vecWndHandles.Empty()) {
        GTEST_SKIP() << "needs a process in which no bar was ever created";
    }
    EXPECT_EQ(g_strUserNo.Get(), "");
    OnHostMessage(0, 0, "MouseOrder", "UserNo_Update", "UserNo=1001");
    OnHostMessage(0, 0, "KeyboardOrder", "UserNo_Update", "1002");
    EXPECT_EQ(g_strUserNo.Get(), "");
    EXPECT_TRUE(testing_support::TakeAllPosted(WM_USER, 0x7FFF).empty());
}

// Host callbacks read the bar handles and the account number on threads of the host's own,
// while the user-interface thread changes them.
TEST(SharedStateAcrossThreads, HandleListReadsAlwaysSeeWhatWasAppended) {
    // Many short lists: the dangerous moment is when the list moves to larger storage.
    constexpr int kRounds = 60;
    constexpr std::uintptr_t kCount = 2000;
    long reads = 0;
    long torn = 0;
    for (int round = 0; round < kRounds; ++round) {
        BarHandleList list;
        std::atomic<bool> started{false};
        std::atomic<bool> done{false};
        std::thread reader([&] {
            do {
                std::uintptr_t expected = 1;
                bool whole = true;
                list.ForEach([&](HWND hWnd) {
                    whole = whole && reinterpret_cast<std::uintptr_t>(hWnd) == expected++;
                });
                torn += whole ? 0 : 1;
                ++reads;
                started = true;
            } while (!done.load());
        });
        while (!started.load()) {
            std::this_thread::yield();
        }
        for (std::uintptr_t i = 1; i <= kCount; ++i) {
            list.Append(reinterpret_cast<HWND>(i));
        }
        done = true;
        reader.join();
        ASSERT_EQ(list.Size(), kCount);
    }
    EXPECT_EQ(torn, 0) << "of " << reads << " reads";
}

TEST(SharedStateAcrossThreads, AccountNumberIsReadWhole) {
    SharedText text;
    const std::string values[] = {std::string(300, 'a'), "1001", std::string(1000, 'b')};
    text.Set(values[0]);
    std::atomic<bool> started{false};
    std::atomic<bool> done{false};
    std::atomic<long> torn{0};
    std::thread reader([&] {
        do {
            const std::string seen = text.Get();
            torn += (seen == values[0] || seen == values[1] || seen == values[2]) ? 0 : 1;
            started = true;
        } while (!done.load());
    });
    while (!started.load()) {
        std::this_thread::yield();
    }
    for (int i = 0; i < 200000; ++i) {
        text.Set(values[i % 3]);
    }
    done = true;
    reader.join();
    EXPECT_EQ(torn.load(), 0);
}

namespace {

class RecordContainer : public ::testing::Test {
protected:
    // The container as the host reaches it: through its table.
    void* Host() { return static_cast<IDataContainer*>(&list); }
    std::vector<void*> HostView() {
        std::vector<void*> items;
        const int count = host::container::Count(Host());
        for (int i = 0; i < count; ++i) {
            items.push_back(host::container::At(Host(), static_cast<std::uint32_t>(i)));
        }
        return items;
    }

    TContainer list;
    char records[4] = {};
    void* a = &records[0];
    void* b = &records[1];
    void* c = &records[2];
    void* d = &records[3];
};

} // namespace

TEST_F(RecordContainer, AddKeepsOrderAndDuplicates) {
    EXPECT_EQ(host::container::Count(Host()), 0);
    for (void* record : {a, b, a, c}) {
        host::container::Add(Host(), record);
    }
    EXPECT_EQ(HostView(), (std::vector<void*>{a, b, a, c}));
    EXPECT_EQ(list.Count(), 4);
    host::container::Add(Host(), nullptr);
    EXPECT_EQ(host::container::Count(Host()), 5);
}

TEST_F(RecordContainer, RemoveTakesOnlyTheFirstEqualPointer) {
    for (void* record : {a, b, a, c, a}) {
        host::container::Add(Host(), record);
    }
    host::container::Remove(Host(), a);
    EXPECT_EQ(HostView(), (std::vector<void*>{b, a, c, a}));
    EXPECT_TRUE(list.Contains(a));

    host::container::Remove(Host(), d);
    EXPECT_EQ(HostView(), (std::vector<void*>{b, a, c, a}));

    host::container::Remove(Host(), a);
    host::container::Remove(Host(), a);
    EXPECT_EQ(HostView(), (std::vector<void*>{b, c}));
    EXPECT_FALSE(list.Contains(a));
    host::container::Remove(Host(), a);
    EXPECT_EQ(HostView(), (std::vector<void*>{b, c}));
}

TEST_F(RecordContainer, AtBeyondTheEndGivesNull) {
    EXPECT_EQ(host::container::At(Host(), 0), nullptr);
    host::container::Add(Host(), a);
    host::container::Add(Host(), b);
    EXPECT_EQ(host::container::At(Host(), 1), b);
    EXPECT_EQ(host::container::At(Host(), 2), nullptr);
    EXPECT_EQ(host::container::At(Host(), 0x80000000u), nullptr);
    EXPECT_EQ(host::container::At(Host(), 0xFFFFFFFFu), nullptr);
}

TEST_F(RecordContainer, ClearEmptiesAndKeepsTheStorage) {
    for (int i = 0; i < 100; ++i) {
        host::container::Add(Host(), i % 2 ? a : b);
    }
    const std::size_t capacity = list.Items().capacity();
    host::container::Clear(Host());
    EXPECT_EQ(host::container::Count(Host()), 0);
    EXPECT_EQ(list.Items().capacity(), capacity);
    EXPECT_FALSE(list.Contains(a));
    EXPECT_FALSE(list.Contains(b));

    host::container::Add(Host(), c);
    EXPECT_EQ(HostView(), (std::vector<void*>{c}));
}

TEST_F(RecordContainer, MembershipFollowsEveryChange) {
    for (void* record : {a, b, a, c}) {
        host::container::Add(Host(), record);
    }
    list.RemoveIf([&](void* record) { return record == a; });
    EXPECT_EQ(HostView(), (std::vector<void*>{b, c}));
    EXPECT_FALSE(list.Contains(a));
    EXPECT_TRUE(list.Contains(b));

    // A copy is a container of its own that the host can fill.
    TContainer copy = list;
    host::container::Add(static_cast<IDataContainer*>(&copy), d);
    EXPECT_EQ(host::container::Count(static_cast<IDataContainer*>(&copy)), 3);
    EXPECT_TRUE(copy.Contains(d));
    EXPECT_FALSE(list.Contains(d));
    EXPECT_EQ(HostView(), (std::vector<void*>{b, c}));
}
