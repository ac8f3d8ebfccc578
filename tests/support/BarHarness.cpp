#include "support/BarHarness.h"

#include "plugin/Exports.h"

#include <fstream>

namespace testing_support {

ConfigFolder::ConfigFolder() : m_dir(ExeDirA() + "config\\") {
    Clear();
    CreateDirectoryA(m_dir.c_str(), nullptr);
}

ConfigFolder::~ConfigFolder() {
    Clear();
}

void ConfigFolder::Clear() const {
    for (const char* name : {"Kestrova.Show.pub", "Kestrova.Ignore.pub"}) {
        const std::string path = m_dir + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
    // Flushes the system's cached copy of the files, if any.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, (m_dir + "Kestrova.Show.pub").c_str());
    RemoveDirectoryA(m_dir.c_str());
}

void ConfigFolder::WriteLayout(const std::string& iniText) const {
    std::ofstream(m_dir + "Kestrova.Show.pub", std::ios::binary) << iniText;
}

void ConfigFolder::WriteIgnore(const std::string& iniText) const {
    std::ofstream(m_dir + "Kestrova.Ignore.pub", std::ios::binary) << iniText;
}

void BarTest::SetUp() {
    OnPluginLoad(m_language);
    OnPluginInit(host.PluginManager());
}

void BarTest::TearDown() {
    OnPluginFree();
    PumpMessages();
}

TKestrovaWnd* BarTest::OpenBar(int width, int height) {
    const HWND hWnd = host.OpenWindow();
    if (!hWnd) {
        return nullptr;
    }
    // The bar comes as a plain overlapped window; a host places it without a caption.
    const LONG_PTR style = GetWindowLongPtrW(hWnd, GWL_STYLE);
    SetWindowLongPtrW(hWnd, GWL_STYLE, (style & ~LONG_PTR(WS_OVERLAPPEDWINDOW)) | WS_POPUP);
    SetWindowPos(hWnd, HWND_TOP, 0, 0, width, height, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    UpdateWindow(hWnd);
    return BarOf(hWnd);
}

TKestrovaWnd* BarTest::BarOf(HWND hWnd) {
    return dynamic_cast<TKestrovaWnd*>(TIxFrm::FromHandle(hWnd));
}

std::vector<std::wstring> BarTest::ShownValues(const TKestrovaWnd& bar) {
    std::vector<std::wstring> values;
    for (const ColumnSetting& setting : bar.m_vecSettings) {
        if (setting.bShow) {
            wchar_t text[260] = {};
            bar.FormatFundsValue(setting.nColId, text);
            values.push_back(text);
        }
    }
    return values;
}

void BarTest::PointAt(const TKestrovaWnd& bar, POINT pt) {
    ClientToScreen(bar.m_hWnd, &pt);
    SetCursorPos(pt.x, pt.y);
}

void BarTest::ClickCell(TKestrovaWnd& bar, const RECT& cell) {
    PointAt(bar, POINT{(cell.left + cell.right) / 2, 25});
    SendMessageW(bar.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
}

} // namespace testing_support
