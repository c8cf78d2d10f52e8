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
    locales
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The suite runs a second time under a comma-decimal locale (the program's home users).
if ! locale -a 2>/dev/null | grep -qix 'pl_PL\.utf-\?8'; then
    echo "Generating the locale pl_PL.UTF-8"
    "${sudo_cmd[@]}" localedef -i pl_PL -f UTF-8 pl_PL.UTF-8
fi
