// layout_writer EVENT: saves sample layouts 1 and 2 in turn from a process of its own until
// it is killed, and sets the named event after each save.
#include "writer/SampleLayouts.h"

#include <windows.h>

int main(int argc, char** argv) {
    const HANDLE saved = OpenEventA(EVENT_MODIFY_STATE, FALSE, argc > 1 ? argv[1] : "");
    for (int round = 0; saved && SaveColumnSettings("Kestrova", SampleLayout(1 + round % 2)); ++round) {
        SetEvent(saved);
    }
    return 1;
}
