#pragma once
// `make soak`: long runs that print reliability figures. Each phase prints its figures and
// returns how many faults it saw; the program fails when any phase saw one.
#include "host/TestHost.h"

#include <string>

namespace soak {

// Seconds since an arbitrary start, for rates and durations.
double Now();

// Free GDI and USER handle slots when the program started: objects held since then are the
// difference to a later count.
struct HandleBaseline {
    std::size_t gdi = 0, user = 0;
};
const HandleBaseline& Baseline();
struct HeldObjects {
    long long gdi = 0, user = 0;
    bool operator<=(const HeldObjects& other) const { return gdi <= other.gdi && user <= other.user; }
    std::string Text() const { return "GDI " + std::to_string(gdi) + ", USER " + std::to_string(user); }
};
// GDI and USER objects held now that were not held when the program started.
HeldObjects HeldSinceStart();

// The plug-in loaded in English with a test host, freed when it goes. Bars opened through
// the host are the plug-in's until then; Restart frees them all and starts afresh.
class LoadedPlugin {
public:
    LoadedPlugin();
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;
    void Restart();

    host::TestHost host;
};

// The "config" folder beside this program, where the plug-in reads and writes.
std::string ConfigDir();

int PaintsAndBars(int paints, int bars);
int NoticeFlood(int notices, int bars);
int GeneratedConfigs(int files);
int KilledSaves(int rounds);
int DialogRuns(int runs);
int TradingDay(int hours);

// The worker that GeneratedConfigs runs: loads the files of rounds first..first+count-1
// through new funds bars and appends "round outcome" lines to the results file.
int LoadConfigsWorker(int first, int count, const std::string& results);

} // namespace soak
