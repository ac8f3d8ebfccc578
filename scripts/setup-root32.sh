#!/usr/bin/env bash
# Makes (once) the Debian 12 root in which the tests of the 32-bit build run: Wine 8.0 with its
# 32-bit loader started through qemu-i386, because these kernels cannot exec i386 ELF files.
# The machine's own packages and Wine are left alone (adding i386 to the machine itself would
# make its 64-bit Wine try to start 32-bit programs natively, and fail): everything goes into
# the root, and debootstrap itself only runs from a temporary folder.
#
# A stamp in the root names the version of this script that completed it; while it matches,
# the script returns at once. Runs as root (through sudo otherwise); concurrent runs wait for
# each other. About five minutes the first time, most of it downloads.
# Usage: setup-root32.sh            KESTROVA_ROOT32=DIR picks the root (see run32.sh).
#
# Why it is built this way:
#  - Wine starts every 32-bit process, wineboot's own included, by exec'ing /usr/lib/wine/wine.
#    That loader is moved aside with dpkg-divert and a script in its place runs it through
#    qemu-i386, so children work without binfmt_misc; WINELOADERNOEXEC=1 stops the loader from
#    re-exec'ing itself (an i386 execve would fail). 64-bit programs still run natively.
#  - qemu-user comes from bookworm-backports: bookworm's qemu 7.2 lacks MAP_FIXED_NOREPLACE, and
#    Wine's address-space reservation then takes ~45 s per 32-bit process instead of ~0.2 s.
set -euo pipefail
script=$(realpath "$0")
R=${KESTROVA_ROOT32:-/var/cache/kestrova/root32}
stamp=$R/.kestrova-root32
version=$(sha256sum "$script" | cut -c1-16)
ready() { [ "$(cat "$stamp" 2>/dev/null)" = "$version" ]; }
ready && exit 0

if [ "$(id -u)" != 0 ]; then
    exec sudo KESTROVA_ROOT32="$R" bash "$script"
fi
if [ "${KESTROVA_ROOT32_LOCKED:-}" != 1 ]; then
    mkdir -p "$(dirname "$R")"
    # One set-up at a time, its mounts in a namespace of its own: they vanish when it ends.
    exec env KESTROVA_ROOT32_LOCKED=1 KESTROVA_ROOT32="$R" flock "$R.lock" \
        unshare --mount --propagation private bash "$script"
fi
ready && exit 0
echo "setup-root32: preparing $R (five to ten minutes the first time)"

mirror=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources)
if [ ! -x "$R/usr/bin/apt-get" ]; then
    if grep -qs " $R" /proc/mounts; then
        echo "setup-root32: something is mounted under $R" >&2
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
        "$tools/unpacked/usr/sbin/debootstrap" --variant=minbase bookworm "$R.partial" "$mirror" >/dev/null
    mv "$R.partial" "$R"
fi

mount -t proc proc "$R/proc"
mount --bind /dev "$R/dev"
mount --bind /dev/pts "$R/dev/pts"
mount -t tmpfs tmpfs "$R/dev/shm"
mount --bind /sys "$R/sys"
cp /etc/resolv.conf "$R/etc/resolv.conf"

rm -f "$R/etc/apt/sources.list"
cp /etc/apt/sources.list.d/debian.sources "$R/etc/apt/sources.list.d/debian.sources"
cat >"$R/etc/apt/sources.list.d/backports.sources" <<EOF
Types: deb
URIs: $mirror
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF

chroot "$R" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root DEBIAN_FRONTEND=noninteractive \
    /bin/bash -euo pipefail -c '
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
# A set-up cut short may have left packages half configured.
dpkg --configure -a
apt-get update -qq
# What the test run uses: Wine of both widths, a virtual display, the tests fonts, CTest, and
# the binutils that read the shipped image.
apt-get install -y -qq --no-install-recommends \
    wine wine64 wine32:i386 libc6:i386 xvfb xauth \
    fonts-wqy-microhei fonts-liberation fonts-crosextra-carlito fonts-wine \
    cmake binutils-mingw-w64-x86-64 >/dev/null
apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user >/dev/null

if [ ! -e /usr/lib/wine/wine.i386-elf ]; then
    dpkg-divert --local --rename --divert /usr/lib/wine/wine.i386-elf --add /usr/lib/wine/wine >/dev/null
fi
cat >/usr/lib/wine/wine <<"EOF"
#!/bin/sh
# The 32-bit Wine loader, run through qemu-i386: this kernel cannot exec i386 ELF files.
# Wine starts every 32-bit process through this path, so its children run the same way.
# WINELOADERNOEXEC=1 keeps the loader from re-exec'"'"'ing itself (an i386 execve would fail).
case "${1:-}" in --*|"") ;; *) export WINELOADERNOEXEC=1 ;; esac
exec /usr/bin/qemu-i386 -0 /usr/lib/wine/wine /usr/lib/wine/wine.i386-elf "$@"
EOF
chmod 755 /usr/lib/wine/wine
apt-get clean
rm -rf /var/lib/apt/lists/*
echo "setup-root32: $(/usr/lib/wine/wine --version), $(qemu-i386 --version | head -n 1)"
'
echo "$version" >"$stamp"
