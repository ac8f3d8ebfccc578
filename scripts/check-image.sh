#!/usr/bin/env bash
# Checks a shipped plug-in image: the expected machine, exactly the three entry points
# exported by plain name, and nothing imported but Windows' own libraries.
# Usage: check-image.sh DLL pei-i386|pei-x86-64
set -uo pipefail
dll=${1:?dll} format=${2:?format}
dump=$(x86_64-w64-mingw32-objdump -p "$dll" 2>&1) || { echo "cannot read $dll: $dump"; exit 1; }
status=0
fail() { echo "$dll: $*"; status=1; }

x86_64-w64-mingw32-objdump -f "$dll" | grep -q "file format $format\$" || fail "not $format"
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^[[:space:]]*\[/ {print $NF; next} on {on=0}' <<<"$dump" | sort | tr '\n' ' ')
[ "$exports" = "OnPluginFree OnPluginInit OnPluginLoad " ] || fail "exports '$exports'"
while read -r name; do
    case "${name,,}" in
        kernel32.dll | user32.dll | gdi32.dll | msvcrt.dll | advapi32.dll | ntdll.dll) ;;
        *) fail "imports $name" ;;
    esac
done < <(awk '/DLL Name:/ {print $3}' <<<"$dump")
[ $status -eq 0 ] && echo "$dll: $format, exports $exports, system imports only"
exit $status
