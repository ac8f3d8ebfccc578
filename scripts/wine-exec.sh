#!/usr/bin/env bash
# Runs a Windows program of the x64 build on Wine, in the project's own prefix.
# CTest uses it as the emulator of every test program. KESTROVA_CALIBRI=1 picks the sibling
# prefix that has a face named "Calibri" (see wineprefix.sh).
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${KESTROVA_WINEPREFIX:-$here/../build/wineprefix}
if [ "${KESTROVA_CALIBRI:-}" = 1 ]; then
    WINEPREFIX=$WINEPREFIX-calibri
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
