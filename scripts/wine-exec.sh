#!/usr/bin/env bash
# Runs a Windows program of the x64 build on Wine, in the project's own prefix.
# CTest uses it as the emulator of every test program. KESTROVA_CALIBRI=1 picks the sibling
# prefix that has a face named "Calibri" (see wineprefix.sh).
#
# KESTROVA_HEAP_CHECK=1 (the test runs and the soak set it) turns on Wine's heap checking for
# the program and every process it starts: a block freed twice, or a heap found damaged, is
# reported as a "warn:heap" or "err:heap" line on standard error, where it stands among the
# program's own lines, and the program then fails (with its own exit code, or 3 when it had
# none), whatever it printed itself.
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
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkfifo "$work/stderr"
awk -v found="$work/found" '{ print; fflush() }
    /(^|:)(warn|err):heap:/ { print "heap" > found; close(found) }' <"$work/stderr" >&2 &
reader=$!
status=0
wine "$@" 2>"$work/stderr" || status=$?
# The reader ends once every writer of the program's standard error has gone; a process the
# program left running may keep it, and is not waited for beyond five seconds.
for _ in $(seq 50); do
    kill -0 "$reader" 2>/dev/null || break
    sleep 0.1
done
if [ -s "$work/found" ]; then
    echo "wine-exec: the heap lines above come from Wine's heap checking: memory freed twice or" \
        "written after it was freed; failing $(basename "${1:-}")" >&2
    [ "$status" -ne 0 ] || status=3
fi
exit "$status"
