# Sourced by the shell tests: check NAME EXPECTED ACTUAL counts and prints
# one line per case; check_summary LABEL prints the totals and fails when a
# case failed.
passed=0
failed=0
check() {
  if [ "$2" = "$3" ]; then
    passed=$((passed + 1)); echo "ok      $1"
  else
    failed=$((failed + 1)); echo "FAILED  $1: expected [$2], got [$3]"
  fi
}
check_summary() {
  echo "$1$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
# check_gtest_case NAME TESTS.EXE CASE [VARIABLE=VALUE...]: runs one case of
# a GoogleTest program under Wine, in English, with the variables set (a
# peer's port, a name), shows its verdict, and checks that it ran and passed.
# A case skips itself without its variable, so "not skipped" is checked too.
check_gtest_case() {
  local name=$1 tests=$2 filter=$3 out rc
  shift 3
  out=$(env LC_ALL=C ORV_EXPECT_LANGUAGE=English "$@" "$ROOT/scripts/wine-run" "$tests" --gtest_filter="$filter" 2>&1)
  rc=$?
  echo "$out" | grep -E '^\[ +(OK|FAILED|SKIPPED) +\]|Failure|Expected|Which is|actual'
  check "$name" "0" "$rc"
  check "$name: the case ran, not skipped" "0" "$(echo "$out" | grep -c '^\[  SKIPPED \]')"
}
