#!/usr/bin/env bash
# Runs the soak of the x64 build on Wine under a virtual display and prints its figures:
# generated and hostile configuration files, saves killed at random moments, a flood of
# funds notices, thousands of paints, hundreds of bars, a hundred column dialog runs and a trading
# day of bars, dialogs and notices in one process. Takes several minutes.
# Usage: soak.sh BUILD_DIR [paints] [flood] [files] [saves] [dialogs] [day]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?build directory}" && pwd)
shift
export KESTROVA_WINEPREFIX=${KESTROVA_WINEPREFIX:-$here/../build/wineprefix}
# The soak runs under Wine's heap checking (see wine-exec.sh); 0 turns it off.
export KESTROVA_HEAP_CHECK=${KESTROVA_HEAP_CHECK:-1}
"$here/wineprefix.sh" "$KESTROVA_WINEPREFIX"
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$@"
fi
"$here/wine-exec.sh" "$build/tests/wine_warmup/wine_warmup.exe" >/dev/null 2>&1 || true
"$here/wine-exec.sh" "$build/soak/kestrova_soak/kestrova_soak.exe" "$@"
