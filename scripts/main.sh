#!/usr/bin/env bash
# The main job: Orvandel installed by its own installer and watching a page
# on loopback. Builds everything and runs scripts/watcher-demo.sh in a Wine
# environment of its own: Orvandel-Setup.exe /S installs Orvandel into the
# prefix's programs folder, then the installed copy runs, and the job prints
# "Location", the hosts line, the text file and the tray tip after the first
# check and after the page has changed its address. With --show the
# installed settings window opens on the current display for a person
# instead. The setup demo is scripts/setup-demo.sh.
set -euo pipefail
source "$(dirname "$0")/../scripts/prelude.sh"
show=0
[ "${1:-}" = "--show" ] && show=1
if [ $show = 1 ] && [ -z "${DISPLAY:-}" ]; then
  echo "--show needs a display (DISPLAY is not set)" >&2
  exit 2
fi
build_windows_trees

tree="$BUILD/$(runnable_release_tree)"
trap wine_env_stop EXIT
trap 'exit 130' INT TERM
keep_display=${DISPLAY:-}
wine_env_start "$BUILD"
wine_env_keep_desktop "$BUILD/$(wine_tree)/tools/keepdesktop/keepdesktop.exe"
if [ $show = 1 ]; then
  bash "$ROOT/scripts/watcher-demo.sh" "$tree" "$BUILD/watcher-job" --show "$keep_display"
else
  bash "$ROOT/scripts/watcher-demo.sh" "$tree" "$BUILD/watcher-job"
fi
