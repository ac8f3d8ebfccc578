#pragma once
// What the code sends to a debugger through OutputDebugString, caught in the test's process.
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// What the code sends to a debugger while this lives, caught as the exception a debugger would
// see: its narrow form, which every Wine raises (a wide one may come first).
class DebugOutput {
public:
    DebugOutput() : m_handler(AddVectoredExceptionHandler(1, &Catch)) { lines.clear(); }
    ~DebugOutput() { RemoveVectoredExceptionHandler(m_handler); }
    DebugOutput(const DebugOutput&) = delete;
    DebugOutput& operator=(const DebugOutput&) = delete;
    // The plug-in's lines caught since the last call.
    std::vector<std::string> Take() {
        lines.erase(std::remove_if(lines.begin(), lines.end(),
                                   [](const std::string& line) { return line.rfind("Kestrova: ", 0) != 0; }),
                    lines.end());
        return std::exchange(lines, {});
    }

private:
    static inline std::vector<std::string> lines;
    static LONG CALLBACK Catch(EXCEPTION_POINTERS* info) {
        const EXCEPTION_RECORD& record = *info->ExceptionRecord;
        if (record.ExceptionCode == 0x40010006 && record.NumberParameters >= 2) { // DBG_PRINTEXCEPTION_C
            lines.emplace_back(reinterpret_cast<const char*>(record.ExceptionInformation[1]));
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }
    PVOID m_handler;
};

} // namespace testing_support
