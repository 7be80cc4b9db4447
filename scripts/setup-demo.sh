#!/usr/bin/env bash
# The setup demo: builds everything, makes a sample installer from samples/,
# runs it under Wine and installs it into a folder of the Wine prefix, then
# prints what was installed. With --show the installer opens in a window on
# the current display for a person to click through instead.
set -euo pipefail
source "$(dirname "$0")/../scripts/prelude.sh"
show=0
[ "${1:-}" = "--show" ] && show=1
build_windows_trees

tree="$BUILD/$(runnable_release_tree)"
keep_display=${DISPLAY:-}
trap wine_env_stop EXIT
trap 'exit 130' INT TERM
wine_env_start "$BUILD"
wine_env_keep_desktop "$BUILD/$(wine_tree)/tools/keepdesktop/keepdesktop.exe"

run() { "$ROOT/scripts/wine-run" "$@"; }
winpath() { echo "Z:${1//\//\\}"; }

out="$BUILD/sample"
rm -rf "$out" && mkdir -p "$out"
run "$tree/tools/builder/setupbuild.exe" "$(winpath "$tree/setup/setup.exe")" "$(winpath "$out/sample-setup.exe")" \
  --title "Orvandel Sample Setup" --path "%PROGRAMS%Orvandel Sample" \
  --info "Installs the sample files of this repository." \
  --readme "$(winpath "$ROOT/samples/readme.txt")" \
  "$(winpath "$ROOT/samples/hello.txt")" "$(winpath "$ROOT/samples/settings.ini")" \
  "$(winpath "$ROOT/samples/logo.bmp")"
echo "Made $out/sample-setup.exe ($(stat -c %s "$out/sample-setup.exe") bytes; runtime $(stat -c %s "$tree/setup/setup.exe") bytes)"

if [ $show = 1 ]; then
  if [ -z "$keep_display" ]; then
    echo "--show needs a display (DISPLAY is not set)" >&2
    exit 2
  fi
  DISPLAY=$keep_display run "$out/sample-setup.exe"
  exit 0
fi

target='C:\Sample Install\Orvandel Sample'
# The programs speak Windows-1252; the terminal UTF-8.
run "$tree/tools/autoinstall/autoinstall.exe" "$(winpath "$out/sample-setup.exe")" "$target" | iconv -f CP1252 -t UTF-8
folder="$WINEPREFIX/drive_c/Sample Install/Orvandel Sample"
echo
echo "Installed into $target ($folder):"
ls -l "$folder" | tail -n +2
echo
echo "hello.txt says: $(tr -d '\r' < "$folder/hello.txt")"
