#!/usr/bin/env bash
# traywatch's own failures must never pass for success: the jobs that read
# its lines trust its exit code. One case per line: the arguments, the
# expected exit code and a line that its output must hold. Runs inside the
# test environment. Usage: traywatch-test.sh TRAYWATCH.EXE ORVANDEL.EXE OTHER.EXE
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/scripts/watcher-job.sh"
traywatch=$1
watcher=$(winpath "$2")
other=$(winpath "$3")
work=$(mktemp -d)
hosts=$(prefix_path "$HOSTS_FILE_WINDOWS")
cp "$hosts" "$work/hosts.before"
trap 'page_server_stop; cp "$work/hosts.before" "$hosts"; rm -rf "$work"' EXIT
address_page 80.1.2.3 >"$work/page.html"
page_server_start "$work" --page "$work/page.html"
# A long interval: one outcome at the start, then none for five minutes.
watcher_options "$work" "$PAGE_URL" 300

status=0
while IFS='|' read -r title arguments code pattern; do
  out="$work/out"
  actual=0
  # shellcheck disable=SC2086 # the arguments are split on purpose
  "$WINELOADER" "$traywatch" $arguments >"$out" 2>&1 </dev/null || actual=$?
  if [ "$actual" != "$code" ] || ! grep -Eq -- "$pattern" "$out"; then
    echo "FAILED  $title: exit code $actual (expected $code), output:"
    cat "$out"
    status=1
  else
    echo "ok      $title"
  fi
done <<EOF_CASES
no arguments||2|usage: traywatch
an unknown option|$watcher --later|2|usage: traywatch
a count that is no number|$watcher --outcomes 1x|2|usage: traywatch
the program ends by itself|$other|1|gone exit-code=0
the outcomes do not come in time|$watcher --known --outcomes 2 --timeout 4|1|timeout .*ms
the watcher is ended after the time limit too|$watcher --known --outcomes 2 --timeout 4|1|end exit-code=0
the outcomes come|$watcher --known --outcomes 1 --sample-every 1|0|sample outcomes=1 handles=[1-9][0-9]* private-kib=[1-9]
EOF_CASES
exit $status
