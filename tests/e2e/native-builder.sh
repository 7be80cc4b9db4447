#!/usr/bin/env bash
# The Linux builder: its arguments are UTF-8, and names and texts reach the
# installer in Windows-1252 (a name "café.txt" is installed as that name) or
# are refused; any number of files stays within the open-file limit.
# usage: native-builder.sh SETUPBUILD RUNTIME AUTOINSTALL
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/tests/lib/check.sh"
builder=$1 runtime=$2 autoinstall=$3
if [ ! -x "$builder" ]; then
  echo "no Linux builder at $builder: the native tree is built first"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
winpath() { echo "Z:${1//\//\\}"; }

printf 'caf\xc3\xa9' >"$work/café.txt"
"$builder" "$runtime" "$work/cafe-setup.exe" --title "Café Setup" "$work/café.txt" >/dev/null
check "a name in Windows-1252 is built" 0 $?
seen=$("$ROOT/scripts/wine-run" "$autoinstall" "$(winpath "$work/cafe-setup.exe")" "$(winpath "$work/target")" |
  iconv -f CP1252 -t UTF-8 | tr -d '\r')
check "the title as typed" "Installer:       Café Setup" "$(grep '^Installer:' <<<"$seen")"
check "café.txt installed as that name" "café" "$(cat "$work/target/café.txt" 2>&1)"
check "nothing else installed" "café.txt" "$(ls "$work/target")"

for text in "Łódź" $'caf\xe9' "smile 😀"; do
  "$builder" "$runtime" "$work/refused.exe" --title "$text" "$work/café.txt" >/dev/null 2>"$work/error"
  check "title \"$text\" refused" 1 $?
  check "title \"$text\" refused: nothing written" "no" "$([ -e "$work/refused.exe" ] && echo yes || echo no)"
  [ "$text" = "Łódź" ] && check "the reason names the character" 1 "$(grep -c '"Ł" has no place' "$work/error")"
done

mkdir "$work/many"
for i in $(seq 1 200); do echo "$i" >"$work/many/f$i"; done
(ulimit -n 40 && "$builder" "$runtime" "$work/many.exe" "$work"/many/f* >/dev/null)
check "200 files within a limit of 40 open files" 0 $?

check_summary "native builder: "
