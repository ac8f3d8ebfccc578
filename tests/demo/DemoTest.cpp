// The demo terminal: its command line, its back office, its main frame and feed (with the
// plug-in's side of the host played by the test), and the program itself with the real plug-in.
#include "host/Png.h"
#include "host/demo/DemoFrame.h"
#include "host/demo/DemoOptions.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <process.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <fstream>
#include <iterator>
#include <set>

using F = host::Funds;

TEST(DemoOptions, CommandLinesAreTakenOrRejectedWithTheOptionNamed) {
    // What each command line gives: language, bars, seconds, [screenshot], seed, help.
    const std::vector<std::pair<std::vector<std::wstring>, std::wstring>> good = {
        {{}, L"2052 2 0 [] -"},
        {{L"--lang", L"1028", L"--bars", L"0", L"--seconds", L"5", L"--screenshot", L"Z:\\s.png", L"--seed",
          L"4294967295"},
         L"1028 0 5 [Z:\\s.png] 4294967295"},
        {{L"--lang", L"1033", L"--lang", L"2052", L"--bars", L"16", L"--seed", L"0", L"--help"},
         L"2052 16 0 [] 0 help"},
        {{L"--config-dialog", L"--bars", L"1"}, L"2052 1 0 [] - dialog"}};
    for (const auto& [args, expected] : good) {
        const auto& [o, error] = demo::ParseOptions(args);
        EXPECT_EQ(error + std::to_wstring(o.language) + L" " + std::to_wstring(o.bars) + L" " +
                      std::to_wstring(o.seconds) + L" [" + o.screenshot + L"] " +
                      (o.seeded ? std::to_wstring(o.seed) : L"-") + (o.help ? L" help" : L"") +
                      (o.configDialog ? L" dialog" : L""),
                  expected);
    }
    const std::vector<std::vector<std::wstring>> bad = {{L"--colour"},
                                                        {L"--bars"},
                                                        {L"--lang", L"1041"},
                                                        {L"--lang", L"0"},
                                                        {L"--bars", L"17"},
                                                        {L"--bars", L"-1"},
                                                        {L"--bars", L"2x"},
                                                        {L"--seconds", L"0"},
                                                        {L"--seconds", L"5s"},
                                                        {L"--seconds", L""},
                                                        {L"--seed", L"abc"},
                                                        {L"--seed", L"4294967296"},
                                                        {L"--screenshot", L""},
                                                        {L"--seed", L"+3"},
                                                        {L"bars"},
                                                        {L"--config-dialog", L"--bars", L"0"}};
    for (const std::vector<std::wstring>& args : bad) {
        EXPECT_NE(demo::ParseOptions(args).error.find(args.front()), std::wstring::npos) << args.front();
    }
}

TEST(BackOffice, TheBaseSumsTheCurrenciesTheRatesKeepTheirUnitsAndTheSeedRepeatsTheFigures) {
    demo::BackOffice office(20240607), twin(20240607);
    for (int step = 0; step < 3000; ++step) {
        ASSERT_EQ(office.Step().account, twin.Step().account);
    }
    for (std::size_t a = 0; a < demo::kAccountCount; ++a) {
        double excess = 0.0;                                   // what "Base" holds: the others' sum
        for (std::size_t c = demo::kCurrencyCount; c-- > 0;) { // "Base" last
            SCOPED_TRACE("account " + std::to_string(a) + " currency " + std::to_string(c));
            const auto f = [&](F field) { return host::RecordStore::Double(office.FundsOf(a)[c], field); };
            EXPECT_EQ(f(F::Value), host::RecordStore::Double(twin.FundsOf(a)[c], F::Value));
            // PnL% a fraction, Risk% a percentage: solvent, not over-margined, a day's PnL a few per cent.
            EXPECT_NEAR(f(F::PnlRate), f(F::NetPnl) / f(F::LastValue), 1e-9);
            EXPECT_NEAR(f(F::RiskRate), 100.0 * f(F::InitialMargin) / f(F::Value), 1e-9);
            EXPECT_TRUE(f(F::RiskRate) > 0.0 && f(F::RiskRate) < 100.0 && -0.2 < f(F::PnlRate) &&
                        f(F::PnlRate) < 0.2);
            EXPECT_NEAR(f(F::ExcessCash), c ? f(F::ExcessCash) : excess, 1e-4);
            excess += f(F::ExcessCash) * demo::kCurrencies[c].rateToBase;
        }
    }
}

// The plug-in's ITradeSpi, reduced to recording each funds notice with the thread it came on.
// One thread at a time reports; a notice counts once it is recorded.
static std::array<std::pair<const void*, DWORD>, 4096> g_notices;
static std::atomic<std::size_t> g_count{0};
static void __cdecl RecordFunds(void*, const void* record) {
    g_notices.at(g_count) = {record, GetCurrentThreadId()};
    ++g_count;
}

// The main frame and the feed, with the plug-in's side of the host played by the test.
TEST(DemoTerminal, StacksBarsFeedsListedAccountsFromItsThreadAndAnswersFundsQueriesLater) {
    host::SlotFn spi[host::kTradeSpiSlots] = {};
    spi[14] = reinterpret_cast<host::SlotFn>(&RecordFunds); // the only slot reached
    const host::SlotFn* spiObject = spi; // what the host calls: its first member points to the table
    demo::BackOffice office{17};
    host::TestHost host;
    demo::Feed feed{office, host};
    demo::DemoFrame frame{host, office, feed};
    const host::SlotFn slot = (*static_cast<host::SlotFn**>(host.TradeData()))[host::slot::RegisterSpi];
    reinterpret_cast<void(__cdecl*)(void*, void*)>(slot)(host.TradeData(), &spiObject);
    ASSERT_TRUE(frame.Create(demo::FrameSettings{}));

    HWND bars[3]; // top-level with a caption and no size, as the plug-in makes them
    for (HWND& bar : bars) {
        bar = CreateWindowExW(0, L"STATIC", L"", WS_CAPTION, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        host.onAttach(bar);
    }
    for (int resized = 0; resized < 2; ++resized) { // children stacked at the client width
        RECT client = {}, rc = {};
        GetClientRect(frame.Handle(), &client);
        for (LONG i = 0; i < 3; ++i) {
            GetWindowRect(bars[i], &rc);
            MapWindowPoints(nullptr, frame.Handle(), reinterpret_cast<POINT*>(&rc), 2);
            EXPECT_EQ(GetParent(bars[i]), frame.Handle());
            EXPECT_EQ(GetWindowLongPtrW(bars[i], GWL_STYLE) & (WS_CAPTION | WS_VISIBLE), WS_VISIBLE);
            EXPECT_EQ((std::array<LONG, 4>{rc.left, rc.top, rc.right, rc.bottom}),
                      (std::array<LONG, 4>{0, i * 50, client.right, i * 50 + 50}));
        }
        SetWindowPos(frame.Handle(), nullptr, 0, 0, 700, 380, SWP_NOMOVE | SWP_NOZORDER);
    }

    feed.Start(std::chrono::milliseconds(2));
    ASSERT_TRUE(testing_support::PumpUntil([] { return g_count >= 60; }, 10000));
    feed.Stop();
    std::set<std::string> accounts;
    for (std::size_t i = 0; i < g_count; ++i) {
        EXPECT_NE(g_notices[i].second, GetCurrentThreadId());
        accounts.insert(host::RecordStore::Text(g_notices[i].first, host::kFundsAccountOffset));
    }
    EXPECT_EQ(accounts, (std::set<std::string>{"8800101", "8800102"}));

    g_count = 0;
    host.onQueryFunds("8800304", "K04");
    host.onQueryFunds("9999", "K09");
    EXPECT_EQ(g_count, 0u); // not from inside the plug-in's call
    testing_support::PumpMessages();
    host.onQueryFunds("8800304", "K04"); // asked again, answered again
    testing_support::PumpMessages();
    const auto& records = office.FundsOf(3);
    ASSERT_EQ(g_count, 2 * demo::kCurrencyCount);
    for (std::size_t i = 0; i < g_count; ++i) {
        EXPECT_EQ(g_notices[i].first, records[i % demo::kCurrencyCount]);
    }
    // The host lists the records from then on, once.
    EXPECT_EQ(host.funds, std::vector<void*>(records.begin(), records.end()));
}

// Runs the demo as a person would, with the real plug-in, for two seconds in English with the
// options given, and reads back its screenshot.
struct DemoShot {
    std::vector<std::uint32_t> pixels; // 0x00RRGGBB
    int width = 0, height = 0;
    std::uintmax_t fileBytes = 0;
    std::ptrdiff_t Count(COLORREF colour) const {
        const std::uint32_t rgb = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
        return std::count(pixels.begin(), pixels.end(), rgb);
    }
};

static std::wstring DemoExe() {
    std::wstring exe = testing_support::Env(L"KESTROVA_DEMO");
    std::replace(exe.begin(), exe.end(), L'/', L'\\');
    return exe;
}

static DemoShot RunDemo(const wchar_t* name, std::vector<const wchar_t*> options) {
    const std::wstring exe = DemoExe();
    const std::wstring shot = testing_support::ExeDir() + L"demo-" + name + L".png";
    DeleteFileW(shot.c_str());
    std::vector<const wchar_t*> args = {
        exe.c_str(), L"--seconds", L"2", L"--seed", L"11", L"--lang", L"1033", L"--screenshot", shot.c_str()};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(nullptr);
    // The demo itself fails when the capture does not show the pixels of the bars it holds.
    EXPECT_EQ(0, _wspawnv(_P_WAIT, exe.c_str(), args.data())) << name;
    DemoShot result;
    EXPECT_TRUE(host::ReadPng(shot, result.pixels, result.width, result.height)) << name;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(shot.c_str(), GetFileExInfoStandard, &data);
    result.fileBytes = data.nFileSizeLow;
    return result;
}

TEST(DemoRun, WritesACompressedScreenshotInWhichThreeBarsCoverTheFrame) {
    const DemoShot bare = RunDemo(L"0", {L"--bars", L"0"}), covered = RunDemo(L"3", {L"--bars", L"3"});
    EXPECT_GT(bare.Count(demo::kFrameBackground) - covered.Count(demo::kFrameBackground),
              3 * 50 * 1100); // three bars across a frame 1200 wide
    // Uncompressed, the rows would take three bytes a pixel.
    EXPECT_LT(covered.fileBytes, std::uintmax_t(covered.width) * covered.height / 4);
}

static std::string FileText(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

TEST(DemoRun, OpensTheColumnDialogOnTheFirstBarAndShowsItInTheScreenshotWithoutSaving) {
    const std::wstring exe = DemoExe();
    const std::wstring layout = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"config\\Kestrova.Show.pub";
    const std::string before = FileText(layout);
    const DemoShot shot = RunDemo(L"dialog", {L"--bars", L"1", L"--config-dialog"});
    // The dialog's caption bar, 385 pixels wide and 30 high, less its title and close box.
    EXPECT_GT(shot.Count(RGB(96, 96, 96)), 380 * 24);
    // Its grid's rows: a light background not found in the frame.
    EXPECT_GT(shot.Count(RGB(243, 243, 243)), 10000);
    // The run ends with Escape, which saves nothing.
    EXPECT_EQ(FileText(layout), before);
    EXPECT_EQ(RunDemo(L"plain", {L"--bars", L"1"}).Count(RGB(96, 96, 96)), 0);
}
