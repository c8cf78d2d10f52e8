#!/usr/bin/env bash
# Runs every fuzz target in the given folder for a few seconds ($ZV_FUZZ_SECONDS, 5 by
# default) from its seed corpus in fuzz/corpus/<name>/. A crash, a leak, a hang (10 s on
# one input) or running out of memory fails the run. New inputs go to a scratch folder,
# so the corpus in the repository stays as it is.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bin_dir="$1"
seconds="${ZV_FUZZ_SECONDS:-5}"
scratch="$(mktemp -d /tmp/zvfuzz-XXXXXX)"
trap 'rm -rf "$scratch"' EXIT
status=0
for target in "$bin_dir"/*_fuzz; do
    name="$(basename "$target" _fuzz)"
    mkdir -p "$scratch/$name"
    if "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -artifact_prefix="$scratch/$name/" "$scratch/$name" "$root/fuzz/corpus/$name" \
        >"$scratch/$name.log" 2>&1; then
        echo "fuzz $name: $(grep -Eo '#[0-9]+' "$scratch/$name.log" | tail -1 | tr -d '#') runs, no finding"
    else
        echo "fuzz $name: FAILED"
        tail -60 "$scratch/$name.log"
        status=1
    fi
done
exit "$status"
