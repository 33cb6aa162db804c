#!/bin/sh
# Every tool answers -h and --help with its usage on standard output and
# status 0, and a call without arguments with the usage on standard error
# and status 2.
#   sh help_test.sh HLPC
here=$(cd "$(dirname "$0")" && pwd) failures=0
t=$(mktemp -d "${TMPDIR:-/tmp}/help_test.XXXXXX") && trap 'rm -rf "$t"' EXIT
for tool in "$here/cowhost/cowhost" "$here/cowhost/run-setup-test" "$here/floppy/floppyctl" \
            "$here/mkmedia/mkmedia" "$1"; do
  name=${tool##*/}
  for opt in -h --help ''; do
    "$tool" $opt >"$t/out" 2>"$t/err" </dev/null
    got="$? $(head -c $((${#name} + 8)) "$t/out")|$(head -c $((${#name} + 8)) "$t/err")"
    want="0 usage: $name |" && [ -n "$opt" ] || want="2 |usage: $name "
    [ "$got" = "$want" ] && echo "ok:   $name $opt" || { echo "FAIL: $name $opt: expected [$want], got [$got]"; failures=$((failures + 1)); }
  done
done
[ $failures = 0 ] || { echo "help_test: $failures failed"; exit 1; }
echo "help_test: all passed"
