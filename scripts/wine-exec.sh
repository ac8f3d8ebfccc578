#!/usr/bin/env bash
# Runs a Windows program of the x64 build on Wine, in the project's own prefix.
# CTest uses it as the emulator of every test program.
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${KESTROVA_WINEPREFIX:-$here/../build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
