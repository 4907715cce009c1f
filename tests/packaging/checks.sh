# Sourced by the packaging checks: `check DESCRIPTION COMMAND...` counts a
# passed or failed check and shows a failure's output. Needs $work.
passed=0 failed=0
check() { # description, command...
  local what=$1
  shift
  if "$@" >"$work/out" 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $what"
    sed 's/^/    /' "$work/out"
  fi
}
