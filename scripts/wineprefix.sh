#!/usr/bin/env bash
# Creates (once) a Wine prefix the tests and the demo run in, with "宋体" mapped to a CJK font
# installed from Debian and the "Marlett" face of Wine's own fonts. Prints nothing on success
# when the prefix is ready.
#
# The plug-in draws English in "Calibri" when a face of that name is installed, else in
# "Arial", with other heights. Wine reads its font replacements once per process, as it starts
# and before the program runs, so a process cannot pick its face; each branch has a prefix of
# its own instead. With "calibri", the prefix also offers Carlito (Debian's metric-compatible
# stand-in) under the name "Calibri"; without it, no "Calibri" exists.
# Usage: wineprefix.sh PREFIX_DIR [calibri]
set -euo pipefail
prefix=${1:?prefix directory}
variant=${2:-}
case "$variant" in "" | calibri) ;; *) echo "wineprefix.sh: unknown variant '$variant'" >&2; exit 2 ;; esac
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
stamp="$prefix/.kestrova-ready-4${variant:+-$variant}"
[ -f "$stamp" ] && exit 0

mkdir -p "$prefix"
wine wineboot --init >/dev/null 2>&1 || true
wineserver -w

# Wine draws caption buttons and scroll arrows with the "Marlett" face (without it they read
# "0 1 r"). Debian's fonts-wine ships it where this Wine does not look, so the prefix's own
# font folder gets a copy.
cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"

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
if [ "$variant" = calibri ]; then
    printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\n"Calibri"="Carlito"\n' >>"$reg"
else
    printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\n"Calibri"=-\n' >>"$reg"
fi
# regedit reads .reg files in the ANSI code page unless they carry a UTF-16 byte-order mark.
iconv -f UTF-8 -t UTF-16 "$reg" >"$reg.utf16"
wine regedit /S "$reg.utf16" >/dev/null 2>&1
wineserver -w
rm -f "$prefix"/.kestrova-ready-*
touch "$stamp"
