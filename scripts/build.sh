#!/usr/bin/env bash
# Configures (once) and builds everything into build/, printing only warnings and errors.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
fi
cmake --build build --parallel "$(nproc)" 2>&1 | grep -Ev '^\[ *[0-9]+%\]|Automatic MOC|^gmake|^make|^$'
status=${PIPESTATUS[0]}
exit "$status"
