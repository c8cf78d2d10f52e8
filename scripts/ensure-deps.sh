#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program and the tests need, when
# any is missing. Quiet when everything is there.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev libgl-dev qt6-charts-dev libqt6charts6 libqt6opengl6-dev
    libsqlite3-dev sqlite3
    libpq-dev postgresql
    libjpeg62-turbo-dev
    libgtest-dev libgmock-dev
    xvfb xauth xdg-utils
    clang libclang-rt-14-dev llvm
    fonts-liberation
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
