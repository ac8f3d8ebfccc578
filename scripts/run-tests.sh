#!/usr/bin/env bash
# Runs every test of the x64 build on Wine under a virtual display.
# Usage: run-tests.sh BUILD_DIR [ctest arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?build directory}" && pwd)
shift
export KESTROVA_WINEPREFIX=${KESTROVA_WINEPREFIX:-$here/../build/wineprefix}
# Every test program runs under Wine's heap checking (see wine-exec.sh); 0 turns it off.
export KESTROVA_HEAP_CHECK=${KESTROVA_HEAP_CHECK:-1}
# The tests of the English face run in both prefixes: without "Calibri" and with it.
prefixes=("$KESTROVA_WINEPREFIX" "$KESTROVA_WINEPREFIX-calibri")
"$here/wineprefix.sh" "${prefixes[0]}"
"$here/wineprefix.sh" "${prefixes[1]}" calibri

inner() {
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    echo "run-tests: the tests of $build on $(wine --version)"
    trap 'for p in "${prefixes[@]}"; do WINEPREFIX=$p wineserver -k >/dev/null 2>&1 || true; done' EXIT
    for prefix in "${prefixes[@]}"; do
        export WINEPREFIX=$prefix
        # One wineserver for the whole run instead of one per test program.
        wineserver -p
        # Wine's desktop and services start here, detached from CTest's output pipes.
        wine wineboot >/dev/null 2>&1 || true
        wine "$build/tests/wine_warmup/wine_warmup.exe" >/dev/null 2>&1 || true
        # Keeps the desktop open between test programs; ended with the wineserver on exit.
        wine "$build/tests/wine_warmup/wine_warmup.exe" hold >/dev/null 2>&1 &
    done
    export WINEPREFIX=${prefixes[0]}
    ctest --test-dir "$build" --output-on-failure "$@"
}

if [ "${KESTROVA_IN_XVFB:-}" = 1 ]; then
    inner "$@"
else
    export KESTROVA_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$@"
fi
