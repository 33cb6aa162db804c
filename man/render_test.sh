#!/bin/sh
# Renders a manual page with groff, every warning on, and fails on any
# warning or on a missing section.
#   sh render_test.sh PAGE
set -u
page=$1
command -v groff >/dev/null || { echo "render_test: groff not found (package groff-base)"; exit 1; }
macros=-man
grep -q '^\.Dd' "$page" && macros=-mdoc
failures=0
warnings=$(groff -ww $macros -Tutf8 -z "$page" 2>&1)
if [ -n "$warnings" ]; then
  echo "FAIL: groff -ww $macros ${page##*/}:"
  echo "$warnings"
  failures=1
fi
for s in NAME SYNOPSIS DESCRIPTION OPTIONS FILES 'EXIT STATUS' EXAMPLES 'SEE ALSO'; do
  if [ $macros = -mdoc ]; then pat="^\.Sh \"*$s\"*\$"; else pat="^\.SH \"*$s\"*\$"; fi
  grep -q "$pat" "$page" || { echo "FAIL: ${page##*/} has no section $s"; failures=1; }
done
[ $failures = 0 ] || exit 1
echo "render_test: ${page##*/} renders without warnings"
