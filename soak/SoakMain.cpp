// kestrova_soak [paints] [flood] [files] [saves]: runs the named phases, or all of them, and
// prints their figures; exits with 1 when any phase saw a fault.
#include "plugin/entry/Exports.h"
#include "soak/Soak.h"
#include "support/HandleCensus.h"
#include "support/TestSupport.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

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

bool Wanted(int argc, char** argv, const char* phase) {
    if (argc < 2) {
        return true;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], phase) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--load-worker") == 0) {
        return soak::LoadConfigsWorker(std::atoi(argv[2]), std::atoi(argv[3]), argv[4]);
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "paints") && std::strcmp(argv[i], "flood") &&
            std::strcmp(argv[i], "files") && std::strcmp(argv[i], "saves")) {
            std::fprintf(stderr, "usage: kestrova_soak [paints] [flood] [files] [saves]\n");
            return 2;
        }
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    soak::Baseline();
    std::filesystem::remove_all(soak::ConfigDir());
    std::filesystem::create_directory(soak::ConfigDir());

    const double start = soak::Now();
    int faults = 0;
    if (Wanted(argc, argv, "paints")) {
        faults += soak::PaintsAndBars(10000, 200);
    }
    if (Wanted(argc, argv, "flood")) {
        faults += soak::NoticeFlood(100000, 8);
    }
    if (Wanted(argc, argv, "files")) {
        faults += soak::GeneratedConfigs(10000);
    }
    if (Wanted(argc, argv, "saves")) {
        faults += soak::KilledSaves(500);
    }
    std::filesystem::remove_all(soak::ConfigDir());
    std::printf("\nsoak: %d fault%s in %.0f s\n", faults, faults == 1 ? "" : "s", soak::Now() - start);
    return faults ? 1 : 0;
}
