#!/usr/bin/env bash
# SHA-1 throughput of DigestOfFile against `openssl sha1`, on the same
# 256 MiB file in the same run, natively and under Wine. A benchmark, not a
# test: it prints figures and never fails on them.
set -euo pipefail
source "$(dirname "$0")/../scripts/prelude.sh"
mkdir -p "$BUILD/bench"
build_tree bench-native -DCMAKE_BUILD_TYPE=Release -DORV_TESTS=OFF
build_windows_trees

file="$BUILD/bench/payload-256m.bin"
if [ ! -f "$file" ] || [ "$(stat -c %s "$file")" -ne $((256 * 1024 * 1024)) ]; then
  head -c $((256 * 1024 * 1024)) /dev/urandom >"$file"
fi
cat "$file" >/dev/null  # into the page cache, for every contender alike

trap wine_env_stop EXIT
wine_env_start "$BUILD"
wine_env_keep_desktop "$BUILD/$(wine_tree)/tools/keepdesktop/keepdesktop.exe"

size=$(stat -c %s "$file")
best_openssl=""
for i in 1 2 3; do
  start=$(date +%s.%N)
  ref=$(openssl sha1 -r "$file" | cut -d' ' -f1 | tr a-f A-F)
  end=$(date +%s.%N)
  t=$(echo "$end - $start" | bc -l)
  if [ -z "$best_openssl" ] || [ "$(echo "$t < $best_openssl" | bc -l)" = 1 ]; then best_openssl=$t; fi
done
openssl_mbs=$(echo "$size / 1000000 / $best_openssl" | bc -l)

report() {
  local label=$1 line=$2
  local digest mbs kind
  digest=$(echo "$line" | awk '{print $1}')
  mbs=$(echo "$line" | awk '{print $6}')
  kind=$(echo "$line" | awk '{print $8}')
  [ "$digest" = "$ref" ] || echo "  (digest differs from openssl's: $digest)"
  printf '%-28s %8.1f MB/s   openssl sha1 %8.1f MB/s   ratio %.2f   (%s)\n' \
    "$label" "$mbs" "$openssl_mbs" "$(echo "$mbs / $openssl_mbs" | bc -l)" "$kind"
}

echo "SHA-1 of 256 MiB, best of 3 runs each; DigestOfFile timed in-process, openssl as a whole command"
report "DigestOfFile native" "$("$BUILD/bench-native/bench/digestfile" "$file" 3)"
winfile=$(winepath -w "$file" 2>/dev/null || echo "Z:${file//\//\\}")
report "DigestOfFile Wine $(wine_tree)" "$("$ROOT/scripts/wine-run" "$BUILD/$(wine_tree)/bench/digestfile.exe" "$winfile" 3)"
