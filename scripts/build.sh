#!/usr/bin/env bash
# Configures and builds everything into build/ (or $ZV_BUILD_DIR). Shows one line per
# compiled or linked file, so a first build visibly moves, and nothing but warnings and
# errors when everything is up to date. Extra arguments go to CMake's configure step.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build_dir="${ZV_BUILD_DIR:-build}"
if [ ! -f "$build_dir/CMakeCache.txt" ] || (($#)); then
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null || exit 1
fi
cmake --build "$build_dir" --parallel "$(nproc)" 2>&1 |
    grep --line-buffered -Ev 'Built target|Automatic MOC|^gmake|^make|^$'
status=${PIPESTATUS[0]}
exit "$status"
