// kestrova_soak [paints] [flood] [files] [saves] [dialogs] [day]: runs the named phases, or all of
// them, each in a process of its own, and prints their figures; exits with 1 when any phase
// saw a fault.
#include "plugin/Exports.h"
#include "soak/Soak.h"
#include "support/HandleCensus.h"
#include "support/TestSupport.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include <process.h>

namespace soak {

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

const HandleBaseline& Baseline() {
    static const HandleBaseline baseline = {testing_support::FreeGdiSlots(),
                                            testing_support::FreeUserSlots()};
    return baseline;
}

HeldObjects HeldSinceStart() {
    const auto held = [](std::size_t baseline, std::size_t now) {
        return static_cast<long long>(baseline) - static_cast<long long>(now);
    };
    return {held(Baseline().gdi, testing_support::FreeGdiSlots()),
            held(Baseline().user, testing_support::FreeUserSlots())};
}

std::string ConfigDir() {
    return testing_support::ExeDirA() + "config\\";
}

LoadedPlugin::LoadedPlugin() {
    OnPluginLoad(1033);
    OnPluginInit(host.PluginManager());
}

LoadedPlugin::~LoadedPlugin() {
    OnPluginFree();
    testing_support::PumpMessages();
}

void LoadedPlugin::Restart() {
    OnPluginFree();
    testing_support::PumpMessages();
    host.ClearCalls();
    OnPluginLoad(1033);
    OnPluginInit(host.PluginManager());
}

} // namespace soak

namespace {

constexpr const char* kPhases[] = {"paints", "flood", "files", "saves", "dialogs", "day"};
constexpr int kMostFaults = 100;

int RunPhase(const std::string& phase) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    soak::Baseline();
    int faults = 0;
    if (phase == "paints") {
        faults = soak::PaintsAndBars(10000, 200);
    } else if (phase == "flood") {
        faults = soak::NoticeFlood(100000, 8);
    } else if (phase == "files") {
        faults = soak::GeneratedConfigs(10000);
    } else if (phase == "saves") {
        faults = soak::KilledSaves(500);
    } else if (phase == "dialogs") {
        faults = soak::DialogRuns(100);
    } else if (phase == "day") {
        faults = soak::TradingDay(100);
    }
    return std::min(faults, kMostFaults);
}

bool Known(const char* phase) {
    return std::find_if(std::begin(kPhases), std::end(kPhases), [&](const char* known) {
               return std::strcmp(known, phase) == 0;
           }) != std::end(kPhases);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--load-worker") == 0) {
        return soak::LoadConfigsWorker(std::atoi(argv[2]), std::atoi(argv[3]), argv[4]);
    }
    if (argc == 3 && std::strcmp(argv[1], "--phase") == 0) {
        return RunPhase(argv[2]);
    }
    std::vector<const char*> phases;
    for (int i = 1; i < argc; ++i) {
        if (!Known(argv[i])) {
            std::fprintf(stderr, "usage: kestrova_soak [paints] [flood] [files] [saves] [dialogs] [day]\n");
            return 2;
        }
        phases.push_back(argv[i]);
    }
    if (phases.empty()) {
        phases.assign(std::begin(kPhases), std::end(kPhases));
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::filesystem::remove_all(soak::ConfigDir());
    std::filesystem::create_directory(soak::ConfigDir());

    // Each phase runs in a process of its own, so that its object counts start from its own
    // process and a crash in one phase leaves the others' figures.
    char self[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string quoted = "\"" + std::string(self) + "\"";
    const double start = soak::Now();
    int faults = 0;
    for (const char* phase : phases) {
        const intptr_t code = _spawnl(_P_WAIT, self, quoted.c_str(), "--phase", phase, nullptr);
        if (code < 0 || code > kMostFaults) {
            std::printf("  the %s phase ended with exit code 0x%08lX\n", phase,
                        static_cast<unsigned long>(code));
            ++faults;
        } else {
            faults += static_cast<int>(code);
        }
    }
    std::filesystem::remove_all(soak::ConfigDir());
    std::printf("\nsoak: %d fault%s in %.0f s\n", faults, faults == 1 ? "" : "s", soak::Now() - start);
    return faults ? 1 : 0;
}
