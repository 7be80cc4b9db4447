#!/usr/bin/env bash
# The main job: builds everything and runs the platform self-check under Wine.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD_DIR:-$ROOT/build}
mkdir -p "$BUILD"

"$ROOT/scripts/install-deps.sh"
source "$ROOT/scripts/wine-env.sh"
source "$ROOT/scripts/build.sh"
build_windows_trees

trap wine_env_stop EXIT
trap 'exit 130' INT TERM
wine_env_start "$BUILD"
"$ROOT/scripts/wine-run" "$BUILD/$(wine_tree)/tools/selfcheck/selfcheck.exe"
