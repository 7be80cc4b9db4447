#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the
# portable core natively under AddressSanitizer and UBSan, then the core and
# the Windows tests under Wine.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD_DIR:-$ROOT/build}
mkdir -p "$BUILD"

"$ROOT/scripts/install-deps.sh"
source "$ROOT/scripts/wine-env.sh"
source "$ROOT/scripts/build.sh"

build_tree native -DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZE=ON
build_windows_trees

trap wine_env_stop EXIT
trap 'exit 130' INT TERM
wine_env_start "$BUILD"

log="$BUILD/ctest.log"
: >"$log"
status=0
echo "== native tests (AddressSanitizer, UBSan)"
ctest --test-dir "$BUILD/native" --output-on-failure --timeout 900 2>&1 | tee -a "$log" || status=1
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
