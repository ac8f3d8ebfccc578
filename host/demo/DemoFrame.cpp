#include "host/demo/DemoFrame.h"

#include "host/Png.h"
#include "host/demo/Screenshot.h"
#include "toolkit/GdiHandle.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

namespace demo {

namespace {

const wchar_t kFrameClass[] = L"KestrovaDemoFrame";
const wchar_t kFrameTitle[] = L"Kestrova Demo Terminal";

enum : UINT_PTR { kRateTimer = 1, kDialogTimer = 2 };
constexpr UINT kDialogDelayMs = 1000;
enum : UINT { kStatusId = 1 };

std::wstring Wide(const std::string& text) {
    // Account numbers are plain ASCII digits.
    return std::wstring(text.begin(), text.end());
}

void ReportError(const std::wstring& text) {
    std::fwprintf(stderr, L"kestrova_demo: %ls\n", text.c_str());
}

// The place of the index-th bar: stacked from the top, as wide as the client area.
RECT BarSlot(std::size_t index, int clientWidth) {
    const int top = static_cast<int>(index) * kBarHeight;
    return RECT{0, top, clientWidth > 0 ? clientWidth : 0, top + kBarHeight};
}

// Runs on a pool thread: the frame is told on its own thread.
VOID CALLBACK PostTimeIsUp(PVOID frame, BOOLEAN) {
    PostMessageW(static_cast<HWND>(frame), kTimeIsUp, 0, 0);
}

} // namespace

DemoFrame::DemoFrame(host::TestHost& host, BackOffice& office, Feed& feed)
    : m_host(host), m_office(office), m_feed(feed) {
    m_host.onAttach = [this](HWND hWnd) { AdoptBar(hWnd); };
    m_host.onQueryFunds = [this](const std::string& account, const std::string&) {
        // The answer comes later, as the terminal's does: after a round trip to the back office.
        const int index = m_office.FindAccount(account);
        if (index >= 0 && m_hWnd) {
            PostMessageW(m_hWnd, kAnswerQuery, static_cast<WPARAM>(index), 0);
        }
    };
    m_host.onModalBegin = [this] { SetStatus(kModalPart, L"Modal dialog open (OnModalBegin)"); };
    m_host.onModalEnd = [this] { SetStatus(kModalPart, L"Modal dialog closed (OnModalEnd)"); };
}

DemoFrame::~DemoFrame() {
    m_host.onAttach = nullptr;
    m_host.onQueryFunds = nullptr;
    m_host.onModalBegin = nullptr;
    m_host.onModalEnd = nullptr;
    if (m_hWnd) {
        DestroyWindow(m_hWnd);
    }
}

bool DemoFrame::Create(const FrameSettings& settings) {
    m_settings = settings;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &DemoFrame::StaticWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    wc.lpszClassName = kFrameClass;
    // Fails harmlessly once the class exists.
    RegisterClassExW(&wc);
    // Room for the bars asked for and a little more, within a 1280x1024 screen.
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT rc = {0, 0, 1200, std::max(6, settings.bars + 2) * kBarHeight};
    AdjustWindowRectEx(&rc, style, TRUE, 0);
    CreateWindowExW(0, kFrameClass, kFrameTitle, style, 20, 20, rc.right - rc.left, rc.bottom - rc.top,
                    nullptr, BuildMenu(), instance, this);
    if (!m_hWnd) {
        return false;
    }
    ShowWindow(m_hWnd, SW_SHOW);
    UpdateWindow(m_hWnd);
    return true;
}

LRESULT CALLBACK DemoFrame::StaticWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    DemoFrame* self = nullptr;
    if (uMsg == WM_NCCREATE) {
        self = static_cast<DemoFrame*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) {
            self->m_hWnd = hWnd;
        }
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<DemoFrame*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    }
    if (!self) {
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
    const LRESULT result = self->WndProc(uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) {
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        self->m_hStatus = nullptr;
    }
    return result;
}

LRESULT DemoFrame::WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_CREATE:
        return OnCreate() ? 0 : -1;
    case WM_SIZE:
        OnSize();
        return 0;
    case WM_ERASEBKGND:
        OnEraseBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case kAnswerQuery:
        OnAnswerQuery(wParam);
        return 0;
    case kTimeIsUp:
        OnTimeIsUp();
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        return DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
    }
}

HMENU DemoFrame::BuildMenu() const {
    HMENU menu = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, kCmdExit, L"E&xit");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");

    HMENU windows = CreatePopupMenu();
    const std::wstring title = m_host.RegisteredTitle();
    if (m_host.Factory()) {
        AppendMenuW(windows, MF_STRING, kCmdOpenBar, title.c_str());
    } else {
        AppendMenuW(windows, MF_STRING | MF_GRAYED, kCmdOpenBar, L"(the plug-in registered no window type)");
    }
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(windows), L"&Window");

    HMENU office = CreatePopupMenu();
    for (std::size_t a = 0; a < kAccountCount; ++a) {
        const std::wstring item = L"Announce account " + Wide(kAccounts[a].number) +
                                  (kAccounts[a].listable ? L"" : L" (not listable)");
        AppendMenuW(office, MF_STRING, kCmdAnnounceFirst + a, item.c_str());
    }
    AppendMenuW(office, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(office, MF_STRING, kCmdAccountsNotice, L"Accounts changed (notice kind 1)");
    AppendMenuW(office, MF_STRING, kCmdCompletionNotice, L"Account query completed (code 0, request 26)");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(office), L"&Back Office");
    return menu;
}

bool DemoFrame::OnCreate() {
    m_hStatus =
        CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBARS_SIZEGRIP, 0,
                        0, 0, 0, m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kStatusId)),
                        GetModuleHandleW(nullptr), nullptr);
    if (!m_hStatus) {
        return false;
    }
    LayOut(); // the status line gets its parts
    SetStatus(kModalPart, L"No modal dialog");
    SetStatus(kFeedPart, L"Feed: starting");
    SetStatus(kEventPart, m_settings.note);
    ShowBarCount();
    m_rateSince = GetTickCount64();
    SetTimer(m_hWnd, kRateTimer, 1000, nullptr);
    if (m_settings.quitAfterSeconds > 0) {
        CreateTimerQueueTimer(&m_quitTimer, nullptr, &PostTimeIsUp, m_hWnd,
                              static_cast<DWORD>(m_settings.quitAfterSeconds) * 1000u, 0, WT_EXECUTEONLYONCE);
    }
    if (m_settings.openConfigDialog) {
        SetTimer(m_hWnd, kDialogTimer, kDialogDelayMs, nullptr);
    }
    return true;
}

void DemoFrame::OnSize() {
    LayOut();
}

void DemoFrame::OnEraseBackground(HDC dc) {
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    FillSolid(dc, rc, kFrameBackground);
}

void DemoFrame::OnCommand(UINT id) {
    if (id >= kCmdAnnounceFirst && id < kCmdAnnounceFirst + kAccountCount) {
        AnnounceAccount(id - kCmdAnnounceFirst);
        return;
    }
    switch (id) {
    case kCmdExit:
        PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        break;
    case kCmdOpenBar:
        OpenBar();
        break;
    case kCmdAccountsNotice:
        m_host.SpiAccountsNotice(1, 0);
        SetStatus(kEventPart, L"Accounts notice sent (kind 1)");
        break;
    case kCmdCompletionNotice:
        m_host.SpiCompletionNotice(0, 26);
        SetStatus(kEventPart, L"Completion notice sent (0, 26)");
        break;
    default:
        break;
    }
}

void DemoFrame::OnTimer(UINT_PTR id) {
    switch (id) {
    case kRateTimer:
        ShowFeedRate();
        break;
    case kDialogTimer:
        KillTimer(m_hWnd, kDialogTimer);
        if (!m_bars.empty()) {
            // As a user's double click on the bar; the dialog then runs inside the bar's handler.
            RECT bar = {};
            GetClientRect(m_bars.front(), &bar);
            PostMessageW(m_bars.front(), WM_LBUTTONDBLCLK, MK_LBUTTON,
                         MAKELPARAM(bar.right / 2, bar.bottom / 2));
        }
        break;
    default:
        break;
    }
}

void DemoFrame::OnAnswerQuery(std::size_t account) {
    const auto& records = m_office.FundsOf(account);
    if (m_office.Publish(account)) {
        m_host.funds.insert(m_host.funds.end(), records.begin(), records.end());
    }
    for (void* record : records) {
        m_host.SpiFundsNotice(record);
    }
    SetStatus(kEventPart, L"Funds of " + Wide(kAccounts[account].number) + L" sent on query");
}

void DemoFrame::OnTimeIsUp() {
    // A dialog may be open: the picture is taken now, with it, then Escape ends the dialog as
    // a user's would (saving nothing) before the frame closes. Without a dialog the frame
    // ignores the key.
    if (!m_settings.screenshot.empty()) {
        m_screenshotTaken = true;
        if (!WriteScreenshot()) {
            m_exitCode = 2;
        }
    }
    PostMessageW(m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
}

void DemoFrame::OnClose() {
    if (!m_settings.screenshot.empty() && !m_screenshotTaken && !WriteScreenshot()) {
        m_exitCode = 2;
    }
    DestroyWindow(m_hWnd);
}

void DemoFrame::OnDestroy() {
    KillTimer(m_hWnd, kRateTimer);
    KillTimer(m_hWnd, kDialogTimer);
    if (m_quitTimer) {
        // Waits for a callback that is running: none may post to a window that is gone.
        DeleteTimerQueueTimer(nullptr, m_quitTimer, INVALID_HANDLE_VALUE);
        m_quitTimer = nullptr;
    }
    PostQuitMessage(m_exitCode);
}

void DemoFrame::AdoptBar(HWND hWnd) {
    if (!IsWindow(hWnd) || !m_hWnd) {
        return;
    }
    // The bar arrives as a top-level window; the frame makes it a child and owns its place.
    // WS_CHILD goes in before SetParent, as SetParent leaves the style alone.
    LONG_PTR style = GetWindowLongPtrW(hWnd, GWL_STYLE);
    style &= ~static_cast<LONG_PTR>(WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX |
                                    WS_MAXIMIZEBOX);
    style |= WS_CHILD | WS_CLIPSIBLINGS;
    SetWindowLongPtrW(hWnd, GWL_STYLE, style);
    LONG_PTR exStyle = GetWindowLongPtrW(hWnd, GWL_EXSTYLE);
    exStyle &=
        ~static_cast<LONG_PTR>(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME);
    SetWindowLongPtrW(hWnd, GWL_EXSTYLE, exStyle);
    SetParent(hWnd, m_hWnd);

    RECT client = {};
    GetClientRect(m_hWnd, &client);
    const RECT slot = BarSlot(m_bars.size(), client.right);
    m_bars.push_back(hWnd);
    // Below the status line, so that it stays readable when the bars outgrow the frame.
    SetWindowPos(hWnd, HWND_BOTTOM, slot.left, slot.top, slot.right - slot.left, slot.bottom - slot.top,
                 SWP_FRAMECHANGED | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    ShowBarCount();
}

void DemoFrame::LayOut() {
    if (m_hStatus) {
        // The status bar places itself at the bottom.
        SendMessageW(m_hStatus, WM_SIZE, 0, 0);
    }
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    if (m_hStatus) {
        const int width = client.right;
        int edges[kPartCount] = {width * 30 / 100, width * 48 / 100, width * 66 / 100, -1};
        SendMessageW(m_hStatus, SB_SETPARTS, kPartCount, reinterpret_cast<LPARAM>(edges));
    }
    for (std::size_t i = 0; i < m_bars.size(); ++i) {
        const RECT slot = BarSlot(i, client.right);
        SetWindowPos(m_bars[i], nullptr, slot.left, slot.top, slot.right - slot.left, slot.bottom - slot.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void DemoFrame::AnnounceAccount(std::size_t account) {
    const std::string value = std::string("UserNo=") + kAccounts[account].number;
    const std::size_t attached = m_host.Attached().size();
    for (std::size_t i = 0; i < attached; ++i) {
        m_host.SendHostMessage(i, "MouseOrder", "UserNo_Update", value.c_str());
    }
    SetStatus(kEventPart, L"Announced account " + Wide(kAccounts[account].number));
}

void DemoFrame::ShowFeedRate() {
    const ULONGLONG now = GetTickCount64();
    const ULONGLONG elapsed = now > m_rateSince ? now - m_rateSince : 1;
    m_rateSince = now;
    const double rate = m_feed.TakeNoticeCount() * 1000.0 / static_cast<double>(elapsed);
    wchar_t text[64] = {};
    swprintf(text, 64, L"Feed: %.1f updates/s", rate);
    SetStatus(kFeedPart, text);
}

void DemoFrame::ShowBarCount() {
    const std::wstring title = m_host.RegisteredTitle();
    SetStatus(kBarsPart,
              L"Bars: " + std::to_wstring(m_bars.size()) + (title.empty() ? L"" : L" \x00D7 " + title));
}

void DemoFrame::SetStatus(int part, const std::wstring& text) {
    if (m_hStatus) {
        SendMessageW(m_hStatus, SB_SETTEXTW, static_cast<WPARAM>(part),
                     reinterpret_cast<LPARAM>(text.c_str()));
    }
}

std::wstring DemoFrame::StatusText(int part) const {
    if (!m_hStatus) {
        return std::wstring();
    }
    const LRESULT length = LOWORD(SendMessageW(m_hStatus, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0));
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(m_hStatus, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

bool DemoFrame::WriteScreenshot() {
    RedrawWindow(m_hWnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const Image image = CaptureWindow(m_hWnd);
    if (image.pixels.empty() ||
        !host::WritePng(m_settings.screenshot, image.pixels.data(), image.width, image.height)) {
        ReportError(L"cannot write the screenshot " + m_settings.screenshot);
        return false;
    }
    // The bars are child windows: make sure the capture holds what they drew, not the frame's
    // background beneath them. Only the part of a bar above the status line can show.
    RECT area = {};
    GetClientRect(m_hWnd, &area);
    RECT status = {};
    GetWindowRect(m_hStatus, &status);
    area.bottom -= status.bottom - status.top;
    for (std::size_t i = 0; i < m_bars.size(); ++i) {
        RECT bar = {};
        GetWindowRect(m_bars[i], &bar);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&bar), 2);
        RECT shown = {};
        if (!IntersectRect(&shown, &bar, &area)) {
            continue;
        }
        MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&shown), 2);
        if (ShareNotOfColour(image, shown, kFrameBackground) < 0.5) {
            ReportError(L"the screenshot does not show funds bar " + std::to_wstring(i + 1));
            return false;
        }
    }
    return true;
}

} // namespace demo
