#!/bin/sh
# Every tool answers -h and --help with its usage on standard output and
# status 0, and a call without arguments with the usage on standard error
# and status 2.
#   sh help_test.sh HLPC
set -u
here=$(cd "$(dirname "$0")" && pwd)
failures=0
expect() {  # DESCRIPTION EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok:   $1"; else echo "FAIL: $1: expected [$2], got [$3]"; failures=$((failures + 1)); fi
}
t=$(mktemp -d "${TMPDIR:-/tmp}/help_test.XXXXXX")
trap 'rm -rf "$t"' EXIT
for tool in "$here/cowhost/cowhost" "$here/cowhost/run-setup-test" "$here/floppy/floppyctl" \
            "$here/mkmedia/mkmedia" "$1"; do
  name=${tool##*/}
  for opt in -h --help; do
    "$tool" $opt >"$t/out" 2>"$t/err"
    expect "$name $opt" "0 usage: $name |" "$? $(head -c $((${#name} + 8)) "$t/out")|$(cat "$t/err")"
  done
  "$tool" >"$t/out" 2>"$t/err" </dev/null
  expect "$name without arguments" "2 |usage: $name " "$? $(cat "$t/out")|$(grep -m 1 -o "^usage: $name " "$t/err")"
done
[ $failures = 0 ] || { echo "help_test: $failures failed"; exit 1; }
echo "help_test: all passed"
