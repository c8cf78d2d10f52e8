#!/usr/bin/env bash
# Builds Zorvantic and runs the whole test suite through CTest, against SQLite and a
# throwaway PostgreSQL server that lives only for this run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$root/scripts/ensure-deps.sh"
"$root/scripts/build.sh"

pgdir="$(mktemp -d /tmp/zvpg-XXXXXX)"
cleanup() { "$root/scripts/pg-server.sh" stop "$pgdir"; rm -rf "$pgdir"; }
trap cleanup EXIT
ZV_TEST_PG="$("$root/scripts/pg-server.sh" start "$pgdir")"
export ZV_TEST_PG
export QT_QPA_PLATFORM=offscreen

cd "$root/build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600 "$@"
