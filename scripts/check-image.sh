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
# The 32-bit terminal calls the entry points with the caller removing the arguments (cdecl).
# An entry point of another convention links all the same (the linker matches OnPluginLoad to
# _OnPluginLoad@4), so the image is read for it: the code at each exported address must be
# a symbol with the plain cdecl name, and none of its returns may pop arguments (ret $n).
conventions=""
if [ "$format" = pei-i386 ]; then
    base=$(awk '$1 == "ImageBase" {print $2}' <<<"$dump")
    symbols=$(x86_64-w64-mingw32-nm -n "$dll" | awk '($2 == "T" || $2 == "t") && $3 !~ /^[.]/')
    # "index name" for each export, from its ordinal and its address table entry.
    entries=$(awk '
        /^Export Address Table --/ {table = "rva"; next}
        /\[Ordinal\/Name Pointer\] Table/ {table = "name"; next}
        /^[[:space:]]*$/ {table = ""}
        table == "rva" && /Export RVA/ {gsub(/[][]/, " "); rva[$1] = $(NF-2)}
        table == "name" && /^[[:space:]]*\[/ {gsub(/[][]/, " "); name[$1] = $2}
        END {for (i in name) print name[i], rva[i]}' <<<"$dump")
    while read -r export rva; do
        start=$(printf '%08x' $((0x$base + 0x$rva)))
        # Every name at the address (aliases share one), then where the next function starts.
        read -r symbol stop < <(awk -v at="$start" '
            $1 == at {names = names (names ? "," : "") $3; next}
            names {print names, $1; exit}' <<<"$symbols")
        if [ "$symbol" != "_$export" ]; then
            fail "$export is '${symbol:-no symbol}', not the cdecl function _$export"
            continue
        fi
        popping=$(x86_64-w64-mingw32-objdump -d --no-show-raw-insn --start-address="0x$start" \
            --stop-address="0x$stop" "$dll" | grep -cE '[[:space:]]ret[lw]?[[:space:]]+[$]')
        [ "$popping" -eq 0 ] || fail "$export removes its own arguments ($popping returns with ret \$n)"
    done <<<"$entries"
    conventions=", entry points cdecl"
fi

[ $status -eq 0 ] && echo "$dll: $format, exports $exports, system imports only$conventions"
exit $status
