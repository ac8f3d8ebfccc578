#!/usr/bin/env bash
# Runs the demo terminal of a build on Wine; on a virtual display when there is no
# DISPLAY. Exits with the demo's exit code.
# Usage: demo.sh BUILD_DIR [demo options...]
# A relative --screenshot path is taken relative to the current directory (make's).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?build directory}" && pwd)
shift
export KESTROVA_WINEPREFIX=${KESTROVA_WINEPREFIX:-$here/../build/wineprefix}

if [ -z "${DISPLAY:-}" ]; then
    # Nobody can see or close a window on a virtual display: unless told otherwise, run for a
    # while and leave a picture of it.
    case " $* " in *" --seconds "*) ;; *) set -- "$@" --seconds 10 ;; esac
    case " $* " in *" --screenshot "*) ;; *) set -- "$@" --screenshot demo.png ;; esac
    echo "demo: no DISPLAY, running on a virtual display: $*" >&2
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$@"
fi

# English is drawn in "Calibri", which Windows 7 and later ship, so an English demo runs in the
# prefix that offers the face (see wineprefix.sh), unless KESTROVA_CALIBRI=0 asks for the
# "Arial" branch; the Chinese languages do not use it.
variant=
prev=
for arg in "$@"; do
    if [ "$prev" = --lang ] && [ "$arg" = 1033 ] && [ "${KESTROVA_CALIBRI:-}" != 0 ]; then
        variant=calibri
    fi
    prev=$arg
done
if [ -n "$variant" ]; then
    KESTROVA_WINEPREFIX=$KESTROVA_WINEPREFIX-calibri
fi
"$here/wineprefix.sh" "$KESTROVA_WINEPREFIX" $variant
export WINEPREFIX=$KESTROVA_WINEPREFIX WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="

# Windows paths for the demo: the screenshot goes where the caller means it to.
args=()
while [ $# -gt 0 ]; do
    args+=("$1")
    if [ "$1" = --screenshot ] && [ $# -gt 1 ]; then
        shift
        path=$(realpath -m -- "$1")
        args+=("Z:${path//\//\\}")
    fi
    shift
done

# Wine's server, desktop and services start here, detached from our caller's output, and
# end with the demo (unless a server for this prefix was already running: it is left alone).
if wineserver -p </dev/null >/dev/null 2>&1; then
    trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
fi
wine wineboot </dev/null >/dev/null 2>&1 || true

# The plug-in keeps its column settings in "config" beside the demo, which the demo creates
# and nothing removes, so they persist between runs.
rc=0
wine "$build/demo/kestrova_demo.exe" "${args[@]}" || rc=$?
exit "$rc"
