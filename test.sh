#!/usr/bin/env bash
# Builds Zorvantic and runs the whole test suite through CTest, against SQLite and a
# throwaway PostgreSQL server that lives only for this run. The build fails on any
# warning and on an #include that reaches up a layer.
# The suite runs twice: in the environment's locale, then under pl_PL.UTF-8.
#   ./test.sh [ctest args]              the normal build, in build/
#   ./test.sh --sanitize [ctest args]   clang with AddressSanitizer and UndefinedBehavior-
#                                       Sanitizer, in build-sanitize/, then every fuzz target
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$root/scripts/ensure-deps.sh"
"$root/scripts/check-layers.sh"

sanitize=0
if [ "${1:-}" = "--sanitize" ]; then
    sanitize=1
    shift
fi
if ((sanitize)); then
    export ZV_BUILD_DIR=build-sanitize
    flags="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    "$root/scripts/build.sh" -DCMAKE_CXX_COMPILER=clang++ "-DCMAKE_CXX_FLAGS=$flags" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZV_BUILD_FUZZ=ON -DZV_BUILD_BENCH=OFF
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
else
    export ZV_BUILD_DIR=build
    "$root/scripts/build.sh" -DZV_WARNINGS_AS_ERRORS=ON
fi

pgdir="$(mktemp -d /tmp/zvpg-XXXXXX)"
cleanup() { "$root/scripts/pg-server.sh" stop "$pgdir"; rm -rf "$pgdir"; }
trap cleanup EXIT
ZV_TEST_PG="$("$root/scripts/pg-server.sh" start "$pgdir")"
export ZV_TEST_PG
export QT_QPA_PLATFORM=offscreen

cd "$root/$ZV_BUILD_DIR"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600 "$@"
# Once more under a comma-decimal locale (the program's home users): a conversion between
# text and number that leans on the C library's locale fails here.
LANG=pl_PL.UTF-8 LC_ALL=pl_PL.UTF-8 ctest --output-on-failure --parallel "$(nproc)" --timeout 600 "$@"
if ((sanitize)); then "$root/scripts/fuzz.sh" "$root/$ZV_BUILD_DIR/fuzz"; fi
