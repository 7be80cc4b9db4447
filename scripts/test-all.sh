#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the
# portable core natively under AddressSanitizer and UBSan with the import
# check of the Windows trees, the kept fuzz corpus of every target, then the
# core and the Windows tests under Wine. Each tree's ctest writes a JUnit
# file; the closing line adds up those, and nothing else.
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

status=0
results=()
run_ctest() {  # TREE TITLE [ctest options...]
  local tree=$1 title=$2; shift 2
  local junit="$BUILD/$tree.junit.xml"
  rm -f "$junit"
  results+=("$junit")
  echo "== $title"
  ctest --test-dir "$BUILD/$tree" --output-on-failure --timeout 300 --output-junit "$junit" "$@" || status=1
}
run_ctest native "native: core tests (AddressSanitizer, UBSan) and the imports of the Windows trees" -j2
run_ctest fuzz "fuzz targets: the kept corpus and every saved crash, replayed" -j2
# Two at a time, but the tests that share the build's prefix take turns
# (RESOURCE_LOCK); only the soak, with a prefix of its own, runs beside them.
run_ctest "$(wine_tree)" "Windows tests under Wine ($(wine_tree) tree)" -j2

python3 - "${results[@]}" <<'PY' || status=1
import sys, xml.etree.ElementTree as ET
passed = failed = skipped = 0
for path in sys.argv[1:]:
    try:
        cases = ET.parse(path).getroot().iter("testcase")
    except (OSError, ET.ParseError) as e:
        print(f"no test results in {path}: {e}")
        failed += 1
        continue
    for case in cases:
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        elif case.find("skipped") is not None:
            skipped += 1
        else:
            passed += 1
print(f"Total: {passed} passed, {failed} failed, {skipped} skipped")
sys.exit(0 if failed == 0 and passed > 0 else 1)
PY
exit $status
