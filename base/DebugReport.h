#pragma once
// Lines for a debug-output viewer: what the plug-in could not do, and what it does instead.
// Nothing is shown to the trader or written to disk.
#include <string>

// Sends "Kestrova: <subject>: <reason>; <outcome>" and a line end through OutputDebugStringW,
// the narrow texts read in the ANSI code page.
void ReportToDebugger(const std::string& subject, const std::string& reason, const std::string& outcome);
