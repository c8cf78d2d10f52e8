#!/usr/bin/env bash
# Builds Zorvantic into build/ and starts it, passing the arguments on.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$root/scripts/ensure-deps.sh"
"$root/scripts/build.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    exec xvfb-run -a "$root/build/zorvantic" "$@"
fi
exec "$root/build/zorvantic" "$@"
