#!/usr/bin/env bash
# The main job's watcher demonstration against the watcher of TREE: its
# output, with the page's port and the programs folder masked, is compared with the golden file for
# the language the locale picks. Runs inside the test environment.
# Usage: main-job-test.sh TREE GOLDEN-FILE
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
bash "$ROOT/scripts/watcher-demo.sh" "$1" "$work/job" >"$work/out" 2>&1 || status=$?
# Wine takes the user's country from LC_ALL even where Linux has no such
# locale; bash then warns at every start.
grep -v 'setlocale: LC_ALL: cannot change locale' "$work/out" |
  sed -E 's|127\.0\.0\.1:[0-9]+|127.0.0.1:PORT|; s|of /.*/wineprefix\)|of PREFIX)|' |
  sed -E 's|C:\\Program Files( \(x86\))?\\|PROGRAMS\\|' >"$work/masked"
if ! diff -u "$2" "$work/masked"; then
  echo "FAILED  the demonstration printed something else (exit code $status)"
  exit 1
fi
[ $status = 0 ] || { echo "FAILED  exit code $status with the expected output"; exit 1; }
