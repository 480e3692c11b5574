#!/usr/bin/env bash
# Installs what is missing, builds, and starts LumaDeck on the simulated
# cameras. Run from the repository root.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
build=${LUMA_BUILD_DIR:-$root/build}
# The working directory is where the program keeps its "img" folder and where
# the simulated camera SDK looks for its configuration.
mkdir -p "$build/run"
cd "$build/run"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  export QT_QPA_PLATFORM=offscreen
fi
exec "$build/bin/LumaDeck" "$@"
