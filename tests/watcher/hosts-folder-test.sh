#!/usr/bin/env bash
# The hosts file where only the file itself may be written: the folder of
# the Wine prefix's hosts file is made immutable (no new file, no rename in
# it; the file's content stays writable), then the watcher's case for it
# runs. Needs root and a file system that knows the flag; exits 77
# (skipped) otherwise. Run under the Wine environment of the test script.
# Usage: hosts-folder-test.sh WATCHER_E2E_TESTS.EXE
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
TESTS=$1
FOLDER="$WINEPREFIX/drive_c/windows/system32/drivers/etc"
[ -d "$FOLDER" ] || { echo "no hosts folder at $FOLDER"; exit 1; }
chattr +i "$FOLDER" 2>/dev/null || { echo "skipped: the folder cannot be made immutable here"; exit 77; }
trap 'chattr -i "$FOLDER"' EXIT

source "$ROOT/tests/lib/check.sh"
check_gtest_case "hosts file written in place" "$TESTS" WatcherCycle.HostsFolderThatTakesNoNewFile \
  ORV_HOSTS_FOLDER_LOCKED=1
check "no file was left in the folder" "" "$(ls -A "$FOLDER" | grep -v '^hosts$' | grep -i '^orv' || true)"
check_summary ""
