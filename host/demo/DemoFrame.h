#pragma once
// The demo terminal's main frame: a top-level window with a menu and a status line, in
// which every funds bar the plug-in attaches is placed as a child, stacked from the top.
#include "host/TestHost.h"
#include "host/demo/BackOffice.h"
#include "host/demo/Feed.h"

#include <windows.h>

#include <string>
#include <vector>

namespace demo {

constexpr int kBarHeight = 50;
constexpr COLORREF kFrameBackground = RGB(214, 219, 226);

// Menu commands.
enum : UINT {
    kCmdExit = 100,
    kCmdOpenBar = 200,
    kCmdAnnounceFirst = 300, // one per account
    kCmdAccountsNotice = 400,
    kCmdCompletionNotice = 401,
};

// The frame's own messages: a funds query to answer, wParam the account; the run's time is up.
// Both are above WM_USER, so a modal dialog's loop passes them on as it does the plug-in's
// notices (its timers would not reach the frame while the dialog is open).
constexpr UINT kAnswerQuery = WM_APP + 1;
constexpr UINT kTimeIsUp = WM_APP + 2;

struct FrameSettings {
    int bars = 2;                  // bars the frame should have room for
    int quitAfterSeconds = 0;      // 0: run until closed
    std::wstring screenshot;       // PNG written just before quitting, or empty
    std::wstring note;             // shown in the status line at start
    bool openConfigDialog = false; // double-click the first bar shortly after start
};

class DemoFrame {
public:
    // Takes the host's attach, query and modal hooks for as long as it lives.
    DemoFrame(host::TestHost& host, BackOffice& office, Feed& feed);
    ~DemoFrame();
    DemoFrame(const DemoFrame&) = delete;
    DemoFrame& operator=(const DemoFrame&) = delete;

    // Creates and shows the window; the menu offers the window type registered by then.
    bool Create(const FrameSettings& settings);
    HWND Handle() const { return m_hWnd; }
    // Opens a funds bar through the factory the plug-in registered.
    void OpenBar() { m_host.OpenWindow(); }
    const std::vector<HWND>& Bars() const { return m_bars; }
    // The text of one part of the status line.
    std::wstring StatusText(int part) const;
    // 0, or why the run failed; the message loop's result once the window is gone.
    int ExitCode() const { return m_exitCode; }

    enum StatusPart { kModalPart, kFeedPart, kBarsPart, kEventPart, kPartCount };

private:
    static LRESULT CALLBACK StaticWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    LRESULT WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam);

    bool OnCreate();
    void OnSize();
    void OnEraseBackground(HDC dc);
    void OnCommand(UINT id);
    void OnTimer(UINT_PTR id);
    void OnAnswerQuery(std::size_t account);
    void OnTimeIsUp();
    void OnClose();
    void OnDestroy();

    HMENU BuildMenu() const;
    void AdoptBar(HWND hWnd);
    void LayOut();
    void AnnounceAccount(std::size_t account);
    void ShowFeedRate();
    void ShowBarCount();
    void SetStatus(int part, const std::wstring& text);
    bool WriteScreenshot();

    host::TestHost& m_host;
    BackOffice& m_office;
    Feed& m_feed;
    FrameSettings m_settings;
    HWND m_hWnd = nullptr;
    HWND m_hStatus = nullptr;
    std::vector<HWND> m_bars;
    ULONGLONG m_rateSince = 0;
    HANDLE m_quitTimer = nullptr; // a pool timer: posts kTimeIsUp when the run's time is up
    bool m_screenshotTaken = false;
    int m_exitCode = 0;
};

} // namespace demo
