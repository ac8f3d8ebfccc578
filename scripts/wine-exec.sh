#!/usr/bin/env bash
# Runs a Windows program of the x64 build on Wine, in the project's own prefix.
# CTest uses it as the emulator of every test program. KESTROVA_CALIBRI=1 picks the sibling
# prefix that has a face named "Calibri" (see wineprefix.sh).
#
# KESTROVA_HEAP_CHECK=1 (the test runs and the soak set it) turns on Wine's heap checking for
# the program and every process it starts: a block freed twice, or a heap found damaged, is
# reported as a "warn:heap" or "err:heap" line on standard error, and the program then fails
# (with its own exit code, or 3 when it had none), whatever it printed itself.
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${KESTROVA_WINEPREFIX:-$here/../build/wineprefix}
if [ "${KESTROVA_CALIBRI:-}" = 1 ]; then
    WINEPREFIX=$WINEPREFIX-calibri
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ "${KESTROVA_HEAP_CHECK:-}" != 1 ]; then
    exec wine "$@"
fi

export WINEDEBUG=$WINEDEBUG,err+heap,warn+heap
# Into a file, not a pipe: a process the program leaves behind keeps its standard error open.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
wine "$@" 2>"$log" || status=$?
cat "$log" >&2
if grep -qE '(^|:)(warn|err):heap:' "$log"; then
    echo "wine-exec: the heap lines above come from Wine's heap checking: memory freed twice or" \
        "written after it was freed; failing $(basename "${1:-}")" >&2
    [ "$status" -ne 0 ] || status=3
fi
exit "$status"
