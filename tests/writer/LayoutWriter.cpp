// Saves and loads column layouts from a process of its own, for the unit tests.
//   layout_writer save N     saves sample layout N; exit code 0 when saved
//   layout_writer check N    exit code 0 when the stored layout is sample layout N
//   layout_writer churn NAME saves layouts 1 and 2 in turn until killed; sets the event NAME
//                            once the first save is done
#include "writer/SampleLayouts.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 3) {
        return 64;
    }
    if (std::strcmp(argv[1], "save") == 0) {
        return SaveColumnSettings(samples::kSection, samples::Layout(std::atoi(argv[2]))) ? 0 : 1;
    }
    if (std::strcmp(argv[1], "check") == 0) {
        std::vector<ColumnSetting> columns;
        if (!LoadColumnSettings(samples::kSection, columns)) {
            return 1;
        }
        return samples::SameLayout(columns, samples::Layout(std::atoi(argv[2]))) ? 0 : 2;
    }
    if (std::strcmp(argv[1], "churn") == 0) {
        HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
        for (int round = 0;; ++round) {
            if (!SaveColumnSettings(samples::kSection, samples::Layout(1 + round % 2))) {
                return 1;
            }
            if (round == 0 && ready) {
                SetEvent(ready);
            }
        }
    }
    return 64;
}
