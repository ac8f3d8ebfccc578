#include "plugin/Exports.h"

#include "fundsbar/KestrovaWnd.h"
#include "base/PluginState.h"
#include "base/TextCodec.h"
#include "base/Texts.h"
#include "toolkit/Accessible.h"
#include "toolkit/ComboxList.h"
#include "toolkit/IxFrm.h"
#include "toolkit/SharedDrawing.h"

#include <cwchar>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace {

int CALLBACK CollectFaceName(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM context) {
    reinterpret_cast<std::vector<std::wstring>*>(context)->push_back(font->lfFaceName);
    return 1;
}

HFONT MakeSharedFont(const wchar_t* face, int height, int weight) {
    return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_OUTLINE_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH, face);
}

// Windows calls it back and expects it to remove its own arguments (CALLBACK).
static_assert(std::is_same<decltype(&CollectFaceName), FONTENUMPROCW>::value, "font enumeration callback");

} // namespace

// The host binds the entry points by name alone, so nothing but these checks holds them (and
// the factory it is handed) to the convention it calls them with in the 32-bit build.
static_assert(kIsHostCall<decltype(&OnPluginLoad), void(int)>, "OnPluginLoad");
static_assert(kIsHostCall<decltype(&OnPluginInit), void(void*)>, "OnPluginInit");
static_assert(kIsHostCall<decltype(&OnPluginFree), void()>, "OnPluginFree");
static_assert(kIsHostCall<decltype(&CreateFundsBar), void()>, "CreateFundsBar");

bool IsFontInstalled(const wchar_t* faceName) {
    std::vector<std::wstring> faces;
    {
        WindowDC screen(nullptr);
        EnumFontsW(screen.get(), nullptr, &CollectFaceName, reinterpret_cast<LPARAM>(&faces));
    }
    for (const std::wstring& face : faces) {
        if (face == faceName) {
            return true;
        }
    }
    return false;
}

extern "C" void HOSTAPI OnPluginLoad(int nLanguage) {
    SetHostLanguage(nLanguage);
    const SharedFontChoice fonts = ChooseSharedFonts(&IsFontInstalled);
    g_hValueFont.reset(MakeSharedFont(fonts.face, fonts.nValueHeight, FW_BOLD));
    g_hTextFont.reset(MakeSharedFont(fonts.face, fonts.nTextHeight, FW_DONTCARE));
    g_hCaptionFont.reset(MakeSharedFont(fonts.face, fonts.nCaptionHeight, FW_DONTCARE));
    g_hBorderBrush.reset(CreateSolidBrush(kBorderColour));
    g_hBackBrush.reset(CreateSolidBrush(kBackColour));
}

extern "C" void HOSTAPI OnPluginInit(void* pHost) {
    g_pHost = static_cast<IPluginHost*>(pHost);
    if (!g_pHost) {
        return;
    }
    g_pMainFrame = static_cast<IMainFrame*>(g_pHost->GetInterface(L"MainFrame", kHostInterfaceVersion));
    if (g_pMainFrame) {
        wchar_t szTitle[kTextChars] = {};
        lstrcpynW(szTitle, GetWindowTypeTitle(), kTextChars);
        g_pMainFrame->RegisterWindowType(kFundsBarTypeId, szTitle, &CreateFundsBar);
    }
    g_pTradeApi = static_cast<ITradeApi*>(g_pHost->GetInterface(L"TradeApi", kHostInterfaceVersion));
    if (g_pTradeApi) {
        g_pTradeData = g_pTradeApi->GetTradeData();
        if (g_pTradeData) {
            g_pTradeData->RegisterSpi(&g_TradeSpi);
        }
    }
}

void HOSTAPI CreateFundsBar() {
    RefreshAccountList();
    // The bar deletes itself once its window is gone, destroyed by the host or by OnPluginFree.
    auto* bar = new TKestrovaWnd();
    bar->CreateBar();
    const HWND hWnd = bar->m_hWnd;
    // Listed before the host has it: a host that destroys the window at once finds the bar
    // where it leaves from, and the bar pointer is not used after the host's call.
    g_vecWnds.push_back(bar);
    g_bBarCreated = true;
    if (hWnd) {
        g_vecWndHandles.Append(hWnd);
    }
    if (g_pMainFrame) {
        g_pMainFrame->AttachWindow(hWnd, &OnHostMessage);
    }
}

extern "C" void HOSTAPI OnPluginFree() {
    // Each bar destroys its window before it goes, so nothing queued for it is delivered after
    // the plug-in has let go of it. A bar whose handler is running (the host freed the plug-in
    // from a message that the column dialog's or the menu's loop delivered) goes as that
    // handler returns. Bars are taken one at a time from the live list: closing one may close
    // others (a host tearing down a pane with its children), which leave the list as they go.
    while (!g_vecWnds.empty()) {
        TKestrovaWnd* bar = g_vecWnds.front();
        g_vecWnds.erase(g_vecWnds.begin());
        bar->Close();
    }
    // Objects that assistive tools still hold must not call into the library once the host
    // unloads it.
    DisconnectAccessibleObjects();
    g_hValueFont.reset();
    g_hTextFont.reset();
    g_hCaptionFont.reset();
    g_hBorderBrush.reset();
    g_hBackBrush.reset();
    // Hook and window procedures live in this library: none may outlive it if the host
    // unloads the plug-in.
    ReleaseListHooks();
    UnregisterWindowClasses();
}
