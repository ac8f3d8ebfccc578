#!/usr/bin/env bash
# Runs a command in a root made by setup-root.sh (wine8: `wine` starts 32-bit programs through
# qemu-i386, 64-bit ones natively; wine10: Wine 10.0). The host's /tmp and each -b folder
# appear at the same paths inside, so build trees, prefixes and X displays are shared with the
# host. The mounts live in a namespace of their own and vanish when the command ends.
# Usage: run-in-root.sh wine8|wine10 [-b DIR]... COMMAND [ARGS...]   (as root, through sudo otherwise)
# Kept from the environment: WINEDEBUG and every KESTROVA_* or CTEST_* variable.
set -euo pipefail
script=$(realpath "$0")
name=${1:-}
case "$name" in
wine8) R=${KESTROVA_ROOT32:-/var/cache/kestrova/root32} ;;
wine10) R=${KESTROVA_ROOT_WINE10:-/var/cache/kestrova/root-wine10} ;;
*) sed -n '2,7p' "$script" >&2; exit 2 ;;
esac
shift
[ -f "$R/.kestrova-root" ] || { echo "run-in-root: no root at $R; run setup-root.sh $name" >&2; exit 1; }

if [ "$(id -u)" != 0 ]; then
    exec sudo --preserve-env bash "$script" "$name" "$@"
fi
if [ "${KESTROVA_IN_ROOT_NS:-}" != 1 ]; then
    export KESTROVA_IN_ROOT_NS=1
    exec unshare --mount --propagation private bash "$script" "$name" "$@"
fi

binds=()
while [ "${1:-}" = -b ]; do
    binds+=("$(cd "$2" && pwd)")
    shift 2
done
[ $# -gt 0 ] || { sed -n '2,7p' "$script" >&2; exit 2; }

mount -t proc proc "$R/proc"
mount --bind /dev "$R/dev"
mount --bind /dev/pts "$R/dev/pts"
mount -t tmpfs tmpfs "$R/dev/shm"
mount --bind /sys "$R/sys"
# The host's /tmp keeps X's lock files visible, so a virtual display started inside picks a
# number no host display uses (X's abstract sockets are shared anyway).
mount --bind /tmp "$R/tmp"
for dir in "${binds[@]}"; do
    mkdir -p "$R$dir"
    mount --bind "$dir" "$R$dir"
done

vars=(HOME=/root PATH=/usr/bin:/bin:/usr/sbin:/sbin LANG=C.UTF-8 "TERM=${TERM:-dumb}"
      "WINEDEBUG=${WINEDEBUG:--all}")
while IFS= read -r line; do vars+=("$line"); done < <(env | grep -E '^(KESTROVA_|CTEST_)' | grep -v '^KESTROVA_IN_ROOT_NS=' || true)
exec chroot "$R" /usr/bin/env -i "${vars[@]}" /bin/bash -c 'cd "$0" && exec "$@"' "$PWD" "$@"
