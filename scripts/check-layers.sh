#!/usr/bin/env bash
# Checks that every include of the plug-in's code points down its layers, each a folder (or
# two): the entry points on top (plugin), then the funds bar and the column dialog (fundsbar,
# columns), then the grid (grid), then the toolkit (toolkit), with the host interfaces, texts
# and shared state at the bottom (base). A file may include its own layer and those below it,
# never one above.
# Usage: check-layers.sh [SOURCE_ROOT]
set -uo pipefail
cd "${1:-$(dirname "$0")/..}" || exit 1

layer_of() {
    case "$1" in
    plugin/*) echo 5 ;;
    fundsbar/* | columns/*) echo 4 ;;
    grid/*) echo 3 ;;
    toolkit/*) echo 2 ;;
    base/*) echo 1 ;;
    *) echo 0 ;;
    esac
}

status=0
checked=0
while IFS= read -r file; do
    own=$(layer_of "$file")
    while IFS= read -r included; do
        target=$(layer_of "$included")
        if [ "$target" -eq 0 ]; then
            continue
        fi
        checked=$((checked + 1))
        if [ "$target" -gt "$own" ]; then
            echo "$file includes $included, a layer above it"
            status=1
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find plugin base toolkit grid columns fundsbar -name '*.h' -o -name '*.cpp' 2>/dev/null | sort)

[ $status -eq 0 ] && echo "layers: $checked includes of our own, all pointing down or sideways"
exit $status
