#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the
# portable core natively under AddressSanitizer and UBSan, then the core and
# the Windows tests under Wine.
set -euo pipefail
source "$(dirname "$0")/../scripts/prelude.sh"

build_tree native -DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZE=ON
build_tree fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DORV_FUZZ=ON -DORV_TESTS=OFF
build_windows_trees

trap wine_env_stop EXIT
trap 'exit 130' INT TERM
wine_env_start "$BUILD"
wine_env_keep_desktop "$BUILD/$(wine_tree)/tools/keepdesktop/keepdesktop.exe"

log="$BUILD/ctest.log"
: >"$log"
status=0
echo "== native tests (AddressSanitizer, UBSan)"
ctest --test-dir "$BUILD/native" --output-on-failure --timeout 900 2>&1 | tee -a "$log" || status=1
echo "== fuzzers: the kept corpus, then 10 s of new inputs each"
for pair in ContainerFuzz:container NameFuzz:names HttpFuzz:http SocksFuzz:socks LineFuzz:line; do
  fuzzer=${pair%%:*}
  corpus="$ROOT/fuzz/corpus/${pair##*:}"
  scratch=$(mktemp -d)
  if (cd "$scratch" && "$BUILD/fuzz/fuzz/$fuzzer" -max_total_time=10 "$scratch" "$corpus" >"$BUILD/$fuzzer.log" 2>&1); then
    echo "$fuzzer: $(grep -E '^Done' "$BUILD/$fuzzer.log")"
    echo "100% tests passed, 0 tests failed out of 1" >>"$log"
  else
    echo "$fuzzer FAILED:"; tail -40 "$BUILD/$fuzzer.log"
    cp "$scratch"/crash-* "$BUILD/" 2>/dev/null || true
    echo "0% tests passed, 1 tests failed out of 1" >>"$log"
    status=1
  fi
  rm -rf "$scratch"
done
echo "== Windows tests under Wine ($(wine_tree))"
ctest --test-dir "$BUILD/$(wine_tree)" --output-on-failure --timeout 900 2>&1 | tee -a "$log" || status=1

# One closing line over both runs.
passed=0; failed=0
while read -r p f; do passed=$((passed + p)); failed=$((failed + f)); done < <(
  sed -nE 's/^[0-9]+% tests passed, ([0-9]+) tests failed out of ([0-9]+).*/\2 \1/p' "$log" |
    awk '{print $1 - $2, $2}')
echo "Total: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ] || status=1
exit $status
