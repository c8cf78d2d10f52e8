#!/usr/bin/env bash
# Fails when a file under src/ includes a header of a layer it does not depend on.
# The dependencies are read from src/CMakeLists.txt (zv_layer(name DEPS ...)).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
declare -A deps
while read -r name rest; do
    deps[$name]="$( (grep -o 'zv_[a-z]*' <<<"$rest" || true) | sed 's/^zv_//' | tr '\n' ' ')"
done < <(sed -n 's/^zv_layer(\([a-z]*\)\(.*\))$/\1 \2/p' "$root/src/CMakeLists.txt")

reachable() {  # the layer itself and every layer below it
    local todo=("$1") seen=" " l
    while ((${#todo[@]})); do
        l="${todo[0]}"
        todo=("${todo[@]:1}")
        [[ "$seen" == *" $l "* ]] && continue
        seen+="$l "
        for d in ${deps[$l]:-}; do todo+=("$d"); done
    done
    echo "$seen"
}

bad=0
for layer in "${!deps[@]}"; do
    [ -d "$root/src/$layer" ] || continue
    allowed="$(reachable "$layer")"
    while IFS=: read -r file line text; do
        target="$(sed -n 's/^#include "\([a-z_]*\)\/.*/\1/p' <<<"$text")"
        [ -n "$target" ] || continue
        if [[ "$allowed" != *" $target "* ]]; then
            echo "${file#"$root"/}:$line: layer '$layer' includes from '$target', which is above it or beside it"
            bad=1
        fi
    done < <(grep -Hn '^#include "' "$root/src/$layer"/*.cpp "$root/src/$layer"/*.h 2>/dev/null || true)
done
exit "$bad"
