#include "base/DebugReport.h"

#include <windows.h>

void ReportToDebugger(const std::string& subject, const std::string& reason, const std::string& outcome) {
    const std::string text = "Kestrova: " + subject + ": " + reason + "; " + outcome + "\n";
    std::wstring wide(text.size() + 1, L'\0');
    const int chars =
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(chars > 0 ? static_cast<std::size_t>(chars) : 0);
    OutputDebugStringW(wide.c_str());
}
