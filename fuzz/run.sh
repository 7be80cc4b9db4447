#!/usr/bin/env bash
# Fresh fuzzing of one target, for a developer (never part of the test run).
#   bash fuzz/run.sh TARGET MINUTES      e.g. bash fuzz/run.sh http 10
# TARGET is a corpus folder name: container, names, http, socks, line, tls or hosts.
# New inputs that reach new code are merged into fuzz/corpus/TARGET. Each
# crash is copied there as crash-<sha1>, which the test run then replays as
# a regression test of its own; fix the fault, then commit both.
set -euo pipefail
source "$(dirname "$0")/../scripts/prelude.sh"

declare -A binary=([container]=ContainerFuzz [names]=NameFuzz [http]=HttpFuzz [socks]=SocksFuzz [line]=LineFuzz [tls]=TlsFuzz [hosts]=HostsFuzz)
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
mkdir -p "$work/new" "$work/seeds" "$work/crashes"
# Saved crashes are not seeds: each would end the run at its start.
find "$corpus" -maxdepth 1 -type f ! -name 'crash-*' -exec cp {} "$work/seeds/" \;

# Fork mode goes on after a crash, a hang or an out-of-memory input, so one
# run covers the whole time and every fault it meets leaves a file.
status=0
(cd "$work" && "$fuzzer" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
   -max_total_time=$((minutes * 60)) -timeout=25 -artifact_prefix="$work/crashes/" \
   "$work/new" "$work/seeds" >"$work/fuzz.log" 2>&1) || status=$?

# One fault tends to leave many inputs; five are enough to find it by.
crashes=0
for f in "$work"/crashes/*; do
  [ -f "$f" ] || continue
  [ "$crashes" -lt 5 ] || { echo "more crash inputs than the 5 kept were found"; break; }
  name="crash-$(sha1sum "$f" | cut -c1-40)"
  [ -f "$corpus/$name" ] && continue
  cp "$f" "$corpus/$name"
  echo "$(basename "$f" | cut -d- -f1) kept as fuzz/corpus/$target/$name"
  crashes=$((crashes + 1))
done
if [ "$status" -ne 0 ] && [ "$crashes" -eq 0 ]; then
  echo "the fuzzer failed (exit $status) and left no input behind; its log:"; tail -30 "$work/fuzz.log"
  exit 1
fi

# Keep only the new inputs that add coverage to the kept corpus.
before=$(ls "$corpus" | wc -l)
(cd "$work" && "$fuzzer" -merge=1 "$corpus" "$work/new" >>"$work/fuzz.log" 2>&1)
after=$(ls "$corpus" | wc -l)
grep -E '^(INFO: fuzzed for|Done|stat::)' "$work/fuzz.log" | tail -3 || true
echo "$target: $((after - before)) new corpus entries kept, $crashes crash(es)"
if [ "$crashes" -gt 0 ]; then
  echo "Each crash is now a regression test (ctest --test-dir build/fuzz -R fuzz_regression_$target)."
  exit 1
fi
