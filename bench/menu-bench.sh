#!/usr/bin/env bash
# The tray menu's side bar: 100 openings of a side-bar menu set up as the
# watcher's, each beside an opening of a plain menu with the same items, in
# the same run; prints the time per opening of each and the difference
# (target: under 5 ms). A benchmark, not a test: it never fails on a figure.
set -euo pipefail
source "$(dirname "$0")/../scripts/prelude.sh"
tree=$(wine_tree)
if [ "$tree" = win32 ]; then
  build_tree win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-i686.cmake"
else
  build_tree win64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-x86_64.cmake"
fi
trap wine_env_stop EXIT
wine_env_start "$BUILD"
wine_env_keep_desktop "$BUILD/$tree/tools/keepdesktop/keepdesktop.exe"
"$ROOT/scripts/wine-run" "$BUILD/$tree/bench/menutiming.exe" "${1:-100}" | cat
