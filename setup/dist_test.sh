#!/bin/sh
# The installer that goes on media and is installed (dist/setup): stripped,
# needing no shared library but the C library, and runnable.
#   sh dist_test.sh DIST_SETUP
set -u
f=$1
src=${SETUP_SOURCE_DIR:-$(cd "$(dirname "$0")/.." && pwd)}
failures=0
expect() {  # DESCRIPTION EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok:   $1"; else echo "FAIL: $1: expected [$2], got [$3]"; failures=$((failures + 1)); fi
}
[ -x "$f" ] || { echo "FAIL: no program $f"; exit 1; }

expect "an ELF program" "7f454c46" "$(head -c 4 "$f" | od -An -tx1 | tr -d ' \n')"
expect "no symbol table, no debug information" "" \
  "$(LC_ALL=C readelf -SW "$f" | grep -oE '\.(symtab|strtab|debug_[a-z_]+)' | sort -u | tr '\n' ' ')"
# The C library's own dynamic loader (the program's interpreter anyway)
# may be named too: the static unwinder asks it for _dl_find_object.
expect "shared libraries needed: the C library alone" "libc.so.6" \
  "$(LC_ALL=C readelf -dW "$f" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | grep -v '^ld-linux' | tr '\n' ' ' | sed 's/ $//')"
echo "size: $(wc -c <"$f") bytes"

# Run on a copy of this machine, so that a program that went past its
# options could change nothing here; the list of changes must stay empty.
t=$(mktemp -d "${TMPDIR:-/tmp}/dist_test.XXXXXX")
trap 'rm -rf "$t"' EXIT
cp "$f" "$t/setup"
out=$("$src/tools/cowhost/cowhost" -p "$t/changes" -r "$t:/h" -C / -- /h/setup --version 2>"$t/err")
st=$?
if [ $st = 77 ]; then
  echo "dist_test: skipped: $(cat "$t/err")"
  exit 77
fi
expect "--version: status, output, no change to the host" \
  "0 setup (SolarisTavrin7315) ||" "$st $(echo "$out" | cut -d' ' -f1,2) |$(cat "$t/err")|$(cat "$t/changes")"

[ $failures = 0 ] || { echo "dist_test: $failures failed"; exit 1; }
echo "dist_test: all passed"
