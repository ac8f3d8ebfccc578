#include "toolkit/IxFrm.h"

#include "base/DebugReport.h"
#include "toolkit/Accessible.h"
#include "toolkit/ToolkitMessages.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <type_traits>
#include <vector>

namespace {
// The classes the plug-in registered, on the user-interface thread: what it must unregister
// before the host unloads it, whichever layer their windows belong to.
std::vector<std::wstring>& RegisteredClassNames() {
    static std::vector<std::wstring> names;
    return names;
}

std::atomic<long> g_nLiveObjects{0};
} // namespace

TIxFrm::TIxFrm() {
    ++g_nLiveObjects;
}

TIxFrm::~TIxFrm() {
    --g_nLiveObjects;
}

long TIxFrm::LiveObjects() {
    return g_nLiveObjects;
}

void TIxFrm::Create(const wchar_t* className, HWND hParent, DWORD dwStyle, DWORD dwExStyle) {
    HINSTANCE hInstance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    // Registered by the first window of the class. The look-up stays in the process, where a
    // registration that fails because the class exists would cost a trip to the window server
    // for every window (a dialog makes a dozen).
    if (!GetClassInfoExW(hInstance, className, &wc)) {
        wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
        wc.lpfnWndProc = &TIxFrm::StaticWndProc;
        wc.cbWndExtra = sizeof(LONG_PTR);
        wc.hInstance = hInstance;
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = className;
        std::vector<std::wstring>& names = RegisteredClassNames();
        if (RegisterClassExW(&wc) && std::find(names.begin(), names.end(), className) == names.end()) {
            names.emplace_back(className);
        }
    }
    CreateWindowExW(dwExStyle, className, nullptr, dwStyle, 0, 0, 0, 0, hParent, nullptr, hInstance, this);
}

void TIxFrm::TrackMouseLeave() const {
    TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, m_hWnd, 0};
    TrackMouseEvent(&tme);
}

void TIxFrm::OnFocusChange(UINT uMsg, bool& bFocus) const {
    bFocus = uMsg == WM_SETFOCUS;
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

POINT TIxFrm::CursorPoint() const {
    POINT pt = {};
    GetCursorPos(&pt);
    ScreenToClient(m_hWnd, &pt);
    return pt;
}

void TIxFrm::DestroyOwnWindow() {
    if (m_hWnd) {
        DestroyWindow(m_hWnd);
    }
}

void TIxFrm::DeleteWithWindow() {
    m_bDeleteWithWindow = true;
}

void TIxFrm::DeleteUnlessHandling() {
    if (m_bDeleteWithWindow && !m_hWnd && m_nRunningHandlers == 0) {
        delete this;
    }
}

TIxFrm* TIxFrm::FromHandle(HWND hWnd) {
    return reinterpret_cast<TIxFrm*>(GetWindowLongPtrW(hWnd, 0));
}

// Windows calls it back and expects it to remove its own arguments (CALLBACK), even should
// the class registration ever take it through a cast.
static_assert(std::is_same<decltype(&TIxFrm::StaticWndProc), WNDPROC>::value, "window procedure");

LRESULT CALLBACK TIxFrm::StaticWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    TIxFrm* self = nullptr;
    if (uMsg == WM_NCCREATE) {
        self = static_cast<TIxFrm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) {
            self->m_hWnd = hWnd;
        }
        SetWindowLongPtrW(hWnd, 0, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = FromHandle(hWnd);
    }
    if (!self) {
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
    // Read before the handler runs: an object that does not go with its window may be deleted
    // by its handler (a button whose click closes its dialog), and is not touched after it.
    const bool bGoesWithWindow = self->m_bDeleteWithWindow;
    if (bGoesWithWindow) {
        ++self->m_nRunningHandlers;
    }
    LRESULT result = kNotHandled;
    // Every window of ours that shows something tells assistive tools about it.
    const bool bAccessibility = (uMsg == WM_GETOBJECT || uMsg == TCM_ACCDEFAULTACTION) &&
                                AnswerAccessibility(hWnd, uMsg, wParam, lParam, result);
    if (!bAccessibility) {
        result = self->WndProc(uMsg, wParam, lParam);
    }
    if (uMsg == WM_NCDESTROY) {
        ForgetAccessibleWindow(hWnd);
        // The window is gone: nothing may reach the object through it, and the object must
        // not act on a handle that the system may hand out again.
        SetWindowLongPtrW(hWnd, 0, 0);
        self->m_hWnd = nullptr;
    }
    if (bGoesWithWindow) {
        --self->m_nRunningHandlers;
        self->DeleteUnlessHandling(); // self may be gone from here on
    }
    if (result != kNotHandled) {
        return result;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

void UnregisterWindowClasses() {
    const HINSTANCE hInstance = GetModuleHandleW(nullptr);
    std::vector<std::wstring> kept;
    for (const std::wstring& name : RegisteredClassNames()) {
        if (UnregisterClassW(name.c_str(), hInstance)) {
            continue;
        }
        // Its window procedure is in this library: a host that unloads the library now leaves
        // a class that crashes the next window made of it.
        const DWORD error = GetLastError();
        ReportToDebugger("window class " + std::string(name.begin(), name.end()), // ASCII names
                         "it cannot be unregistered (error " + std::to_string(error) + ")",
                         "it is tried again when the plug-in is freed next");
        kept.push_back(name);
    }
    RegisteredClassNames() = std::move(kept);
}
