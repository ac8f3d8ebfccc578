#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo use.
# Idempotent: only missing packages are fetched, so a second run takes a moment.
set -euo pipefail

packages=(
    make cmake ninja-build git
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    googletest
    wine wine64
    xvfb xauth
    fonts-wqy-microhei fonts-liberation fonts-crosextra-carlito
    fonts-wine
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
