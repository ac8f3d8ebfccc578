#pragma once
// The top of the plug-in: the entry points, the window factory and the bars they own.
#include "base/HostInterfaces.h"

// The three entry points the host calls, in this order, on its user-interface thread.
extern "C" {
void HOSTAPI OnPluginLoad(int nLanguage);
void HOSTAPI OnPluginInit(void* pHost);
void HOSTAPI OnPluginFree();
}

// The window factory registered with the main frame.
void HOSTAPI CreateFundsBar();

// Window type the funds bar is registered under.
constexpr std::int32_t kFundsBarTypeId = 0x271112;
constexpr const wchar_t* kHostInterfaceVersion = L"1.0.0.1";

bool IsFontInstalled(const wchar_t* faceName);
