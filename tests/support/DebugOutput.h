#pragma once
// What the code sends to a debugger through OutputDebugString, caught in the test's process.
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace testing_support {

// What the code sends to a debugger while this lives, caught as the exceptions a debugger
// would see: a wide text may be followed by its narrow form, which is kept once.
class DebugOutput {
public:
    DebugOutput() : m_handler(AddVectoredExceptionHandler(1, &Catch)) { lines.clear(); }
    ~DebugOutput() { RemoveVectoredExceptionHandler(m_handler); }
    DebugOutput(const DebugOutput&) = delete;
    DebugOutput& operator=(const DebugOutput&) = delete;
    // The plug-in's lines caught since the last call (this test's own failures go there too).
    std::vector<std::string> Take() {
        std::vector<std::string> told;
        std::copy_if(lines.begin(), lines.end(), std::back_inserter(told),
                     [](const std::string& line) { return line.rfind("Kestrova: ", 0) == 0; });
        lines.clear();
        return told;
    }

private:
    static inline std::vector<std::string> lines;
    static LONG CALLBACK Catch(EXCEPTION_POINTERS* info) {
        constexpr DWORD kNarrow = 0x40010006, kWide = 0x4001000A; // DBG_PRINTEXCEPTION_(WIDE_)C
        const EXCEPTION_RECORD& record = *info->ExceptionRecord;
        const bool wide = record.ExceptionCode == kWide;
        if ((wide || record.ExceptionCode == kNarrow) && record.NumberParameters >= 2) {
            const ULONG_PTR text = record.ExceptionInformation[1];
            char narrow[2048] = {};
            if (wide) {
                WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text), -1, narrow,
                                    sizeof(narrow) - 1, nullptr, nullptr);
            }
            const std::string line = wide ? narrow : reinterpret_cast<const char*>(text);
            if (wide || lines.empty() || lines.back() != line) {
                lines.push_back(line);
            }
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }
    PVOID m_handler;
};

} // namespace testing_support
