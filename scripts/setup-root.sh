#!/usr/bin/env bash
# Makes (once) a Debian root in which the tests run on a Wine other than the machine's own
# (Debian 12's Wine 8.0, which runs 64-bit programs only). Two roots, by the Wine they hold:
#   wine8   Debian 12, Wine 8.0 of both widths: the 32-bit build's tests.
#           KESTROVA_ROOT32=DIR puts it elsewhere than /var/cache/kestrova/root32.
#   wine10  Debian 13, Wine 10.0 of both widths: the tests of both builds once more.
#           KESTROVA_ROOT_WINE10=DIR puts it elsewhere than /var/cache/kestrova/root-wine10.
# The machine's own packages and Wine are left alone (adding i386 to the machine itself would
# make its 64-bit Wine try to start 32-bit programs natively, and fail): everything goes into
# the root, and debootstrap itself only runs from a temporary folder.
#
# A stamp in the root names the version of this script that completed it; while it matches,
# the script returns at once. Runs as root (through sudo otherwise); concurrent runs for one
# root wait for each other. Three to ten minutes the first time, most of it downloads.
# Usage: setup-root.sh wine8|wine10
#
# Why it is built this way:
#  - Wine starts every 32-bit process, wineboot's own included, by exec'ing /usr/lib/wine/wine.
#    That loader is moved aside with dpkg-divert and a script in its place runs it through
#    qemu-i386, so children work without binfmt_misc; WINELOADERNOEXEC=1 stops the loader from
#    re-exec'ing itself (an i386 execve would fail). 64-bit programs still run natively.
#  - qemu-user is version 10 in both (bookworm's from bookworm-backports): bookworm's qemu 7.2
#    lacks MAP_FIXED_NOREPLACE, and Wine's address-space reservation then takes ~45 s per 32-bit
#    process instead of ~0.2 s.
set -euo pipefail
script=$(realpath "$0")
name=${1:-}
case "$name" in
wine8) R=${KESTROVA_ROOT32:-/var/cache/kestrova/root32} release=bookworm qemu=bookworm-backports ;;
wine10) R=${KESTROVA_ROOT_WINE10:-/var/cache/kestrova/root-wine10} release=trixie qemu=trixie ;;
*) sed -n '2,15p' "$script" >&2; exit 2 ;;
esac
stamp=$R/.kestrova-root
version=$(sha256sum "$script" | cut -c1-16)
ready() { [ "$(cat "$stamp" 2>/dev/null)" = "$version" ]; }
ready && exit 0

if [ "$(id -u)" != 0 ]; then
    exec sudo KESTROVA_ROOT32="${KESTROVA_ROOT32:-}" KESTROVA_ROOT_WINE10="${KESTROVA_ROOT_WINE10:-}" \
        bash "$script" "$name"
fi
if [ "${KESTROVA_ROOT_LOCKED:-}" != 1 ]; then
    mkdir -p "$(dirname "$R")"
    # One set-up at a time, its mounts in a namespace of its own: they vanish when it ends.
    exec env KESTROVA_ROOT_LOCKED=1 flock "$R.lock" unshare --mount --propagation private bash "$script" "$name"
fi
ready && exit 0
echo "setup-root: preparing $R (three to ten minutes the first time)"

mirror=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources)
if [ ! -x "$R/usr/bin/apt-get" ]; then
    if grep -qs " $R" /proc/mounts; then
        echo "setup-root: something is mounted under $R" >&2
        exit 1
    fi
    tools=$(mktemp -d)
    trap 'rm -rf "$tools"' EXIT
    (cd "$tools" && { apt-get download -qq debootstrap 2>/dev/null ||
        { apt-get update -qq && apt-get download -qq debootstrap 2>/dev/null; }; })
    dpkg-deb -x "$tools"/debootstrap_*.deb "$tools/unpacked"
    # A half-made root never takes the final name: an interrupted run starts over.
    rm -rf "$R.partial"
    DEBOOTSTRAP_DIR="$tools/unpacked/usr/share/debootstrap" \
        "$tools/unpacked/usr/sbin/debootstrap" --variant=minbase "$release" "$R.partial" "$mirror" >/dev/null
    mv "$R.partial" "$R"
fi

mount -t proc proc "$R/proc"
mount --bind /dev "$R/dev"
mount --bind /dev/pts "$R/dev/pts"
mount -t tmpfs tmpfs "$R/dev/shm"
mount --bind /sys "$R/sys"
cp /etc/resolv.conf "$R/etc/resolv.conf"

# The machine's own sources, for the root's release (and qemu's suite).
rm -f "$R/etc/apt/sources.list"
sed "s/\b$(. /etc/os-release && echo "$VERSION_CODENAME")\b/$release/g" /etc/apt/sources.list.d/debian.sources \
    >"$R/etc/apt/sources.list.d/debian.sources"
if [ "$qemu" != "$release" ]; then
    cat >"$R/etc/apt/sources.list.d/backports.sources" <<EOF
Types: deb
URIs: $mirror
Suites: $qemu
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
fi

chroot "$R" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root DEBIAN_FRONTEND=noninteractive \
    QEMU_SUITE="$qemu" /bin/bash -euo pipefail -c '
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
# A set-up cut short may have left packages half configured.
dpkg --configure -a
apt-get update -qq
# What the test run uses: Wine of both widths, a virtual display, the tests fonts and CTest.
apt-get install -y -qq --no-install-recommends \
    wine wine64 wine32:i386 libc6:i386 xvfb xauth \
    fonts-wqy-microhei fonts-liberation fonts-crosextra-carlito fonts-wine cmake >/dev/null
apt-get install -y -qq --no-install-recommends -t "$QEMU_SUITE" qemu-user >/dev/null

if [ ! -e /usr/lib/wine/wine.i386-elf ]; then
    dpkg-divert --local --rename --divert /usr/lib/wine/wine.i386-elf --add /usr/lib/wine/wine >/dev/null
fi
# Written beside the loader and moved over it, so that no Wine starting meanwhile reads half.
cat >/usr/lib/wine/wine.kestrova <<"EOF"
#!/bin/sh
# The 32-bit Wine loader, run through qemu-i386: this kernel cannot exec i386 ELF files.
# Wine starts every 32-bit process through this path, so its children run the same way.
# WINELOADERNOEXEC=1 keeps the loader from re-exec'"'"'ing itself (an i386 execve would fail).
case "${1:-}" in --*|"") ;; *) export WINELOADERNOEXEC=1 ;; esac
exec /usr/bin/qemu-i386 -0 /usr/lib/wine/wine /usr/lib/wine/wine.i386-elf "$@"
EOF
chmod 755 /usr/lib/wine/wine.kestrova
mv /usr/lib/wine/wine.kestrova /usr/lib/wine/wine
apt-get clean
rm -rf /var/lib/apt/lists/*
echo "setup-root: $(/usr/lib/wine/wine --version), $(qemu-i386 --version | head -n 1)"
'
echo "$version" >"$stamp"
