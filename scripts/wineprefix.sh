#!/usr/bin/env bash
# Creates (once) the Wine prefix the tests and the demo run in, with "宋体" mapped to a
# CJK font installed from Debian. Prints nothing on success when the prefix is ready.
# Usage: wineprefix.sh PREFIX_DIR
set -euo pipefail
prefix=${1:?prefix directory}
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
stamp="$prefix/.kestrova-ready-2"
[ -f "$stamp" ] && exit 0

mkdir -p "$prefix"
wine wineboot --init >/dev/null 2>&1 || true
wineserver -w

reg="$prefix/kestrova-fonts.reg"
# Replacements steer both the face lookups and the font linking of Wine's GDI.
cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"宋体"="WenQuanYi Micro Hei"
"SimSun"="WenQuanYi Micro Hei"
"新宋体"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Decorated"="N"
"Managed"="N"
REG
# regedit reads .reg files in the ANSI code page unless they carry a UTF-16 byte-order mark.
iconv -f UTF-8 -t UTF-16 "$reg" >"$reg.utf16"
wine regedit /S "$reg.utf16" >/dev/null 2>&1
wineserver -w
touch "$stamp"
