// layout_writer EVENT: saves sample layouts 1 and 2 in turn from a process of its own until
// it is killed, and sets the named event after each save. When its killer has made the named
// memory "EVENT.saves" (two 32-bit counts), it counts there the saves begun and finished, so
// that the killer knows which save it cut short.
#include "writer/SampleLayouts.h"

#include <windows.h>

#include <string>

int main(int argc, char** argv) {
    const std::string event = argc > 1 ? argv[1] : "";
    const HANDLE saved = OpenEventA(EVENT_MODIFY_STATE, FALSE, event.c_str());
    const HANDLE counts = OpenFileMappingA(FILE_MAP_WRITE, FALSE, (event + ".saves").c_str());
    volatile LONG none[2] = {};
    volatile LONG* const saves =
        counts ? static_cast<volatile LONG*>(MapViewOfFile(counts, FILE_MAP_WRITE, 0, 0, 0)) : none;
    for (LONG round = 1; saved; ++round) {
        InterlockedExchange(&saves[0], round);
        if (!SaveColumnSettings("Kestrova", SampleLayout(1 + (round - 1) % 2))) {
            break;
        }
        InterlockedExchange(&saves[1], round);
        SetEvent(saved);
    }
    return 1;
}
