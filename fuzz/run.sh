#!/usr/bin/env bash
# Fresh fuzzing of one target, for a developer (never part of the test run).
#   bash fuzz/run.sh TARGET MINUTES      e.g. bash fuzz/run.sh http 10
# TARGET is a corpus folder name: container, names, http, socks or line.
# New inputs that reach new code are merged into fuzz/corpus/TARGET. Each
# crash is copied there as crash-<sha1>, which the test run then replays as
# a regression test of its own; fix the fault, then commit both.
set -euo pipefail
source "$(dirname "$0")/../scripts/prelude.sh"

declare -A binary=([container]=ContainerFuzz [names]=NameFuzz [http]=HttpFuzz [socks]=SocksFuzz [line]=LineFuzz)
target=${1:-}; minutes=${2:-}
if [ -z "$target" ] || [ -z "${binary[$target]:-}" ] || ! [[ "$minutes" =~ ^[0-9]+$ ]] || [ "$minutes" -eq 0 ]; then
  echo "usage: bash fuzz/run.sh TARGET MINUTES   (TARGET: ${!binary[*]})" >&2
  exit 2
fi

build_tree fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DORV_FUZZ=ON -DORV_TESTS=OFF
fuzzer="$BUILD/fuzz/fuzz/${binary[$target]}"
corpus="$ROOT/fuzz/corpus/$target"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/new" "$work/crashes"

# libFuzzer stops at the first crash: start it again, with what is left of
# the time, until the time is up or too many crashes say the fault is
# everywhere.
deadline=$(( $(date +%s) + minutes * 60 ))
crashes=0
while [ "$(date +%s)" -lt "$deadline" ] && [ "$crashes" -lt 20 ]; do
  left=$(( deadline - $(date +%s) ))
  [ "$left" -gt 0 ] || break
  if (cd "$work" && "$fuzzer" -max_total_time="$left" -timeout=25 -artifact_prefix="$work/crashes/" \
        -print_final_stats=1 "$work/new" "$corpus" >>"$work/fuzz.log" 2>&1); then
    break
  fi
  found=0
  for f in "$work"/crashes/*; do
    [ -f "$f" ] || continue
    name="crash-$(sha1sum "$f" | cut -c1-40)"
    if [ ! -f "$corpus/$name" ]; then
      cp "$f" "$corpus/$name"
      echo "crash kept as fuzz/corpus/$target/$name"
      crashes=$((crashes + 1))
    fi
    rm -f "$f"; found=1
  done
  if [ "$found" -eq 0 ]; then
    echo "the fuzzer ended without a crash file; its log:"; tail -30 "$work/fuzz.log"; exit 1
  fi
done

# Keep only the new inputs that add coverage to the kept corpus.
before=$(ls "$corpus" | wc -l)
(cd "$work" && "$fuzzer" -merge=1 "$corpus" "$work/new" >>"$work/fuzz.log" 2>&1)
after=$(ls "$corpus" | wc -l)
grep -E '^(Done|stat::)' "$work/fuzz.log" | tail -5 || true
echo "$target: $((after - before)) new corpus entries kept, $crashes crash(es)"
if [ "$crashes" -gt 0 ]; then
  echo "Each crash is now a regression test (ctest --test-dir build/fuzz -R fuzz_regression_$target)."
  exit 1
fi
