#!/usr/bin/env bash
# Runs the benchmarks of the x64 build on Wine under a virtual display and prints figures.
# Usage: bench.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?build directory}" && pwd)
export KESTROVA_WINEPREFIX=${KESTROVA_WINEPREFIX:-$here/../build/wineprefix}
"$here/wineprefix.sh" "$KESTROVA_WINEPREFIX"
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build"
fi
"$here/wine-exec.sh" "$build/tests/wine_warmup/wine_warmup.exe" >/dev/null 2>&1 || true
"$here/wine-exec.sh" "$build/bench/bar_bench/bar_bench.exe"
"$here/wine-exec.sh" "$build/bench/grid_bench/grid_bench.exe"
