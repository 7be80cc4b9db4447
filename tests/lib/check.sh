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
