#!/bin/sh
# Tests of the simulated diskette drive: the scripted operator, failing
# ejects, and written files staying in the images.
set -u
here=$(cd "$(dirname "$0")" && pwd)
t=$(mktemp -d "${TMPDIR:-/tmp}/floppy_test.XXXXXX")
trap 'rm -rf "$t"' EXIT
export FLOPPY_ROOT="$t/root" FLOPPY_STATE="$t/state" PATH="$here:$PATH"
failures=0
expect() {  # DESCRIPTION EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok:   $1"; else echo "FAIL: $1: expected [$2], got [$3]"; failures=$((failures + 1)); fi
}
# Runs each ;-separated command and prints its status and what is mounted
# after it.
steps() {
  echo "$1" | tr ';' '\n' | while read -r cmd; do
    $cmd </dev/null >/dev/null 2>&1
    printf '%s:%s[%s] ' "$cmd" $? "$(ls "$FLOPPY_ROOT/floppy0" 2>/dev/null)"
  done
}
mkdir -p "$t/d1" "$t/d2" "$t/d3"
echo 1 >"$t/d1/pkg_tar.z1"; echo 2 >"$t/d2/pkg_tar.z2"; echo 3 >"$t/d3/pkg_tar.z3"

# The operator follows the queue: the first diskette is in and mounted from
# the start; after an eject the first query finds the drive empty, the next
# one the next diskette, which volcheck then mounts.
floppyctl init "$FLOPPY_STATE" --queue "$t/d1" "$t/d2" "$t/d3"
expect "queue" "floppyctl sync:0[pkg_tar.z1] eject -q:0[pkg_tar.z1] eject -f:0[] eject -q:1[] \
eject -q:0[] volcheck:0[pkg_tar.z2] eject:0[] volcheck:0[pkg_tar.z3] eject:0[] eject -f:0[] eject -q:1[] \
eject -q:1[] volcheck:1[] " \
  "$(steps 'floppyctl sync;eject -q;eject -f;eject -q;eject -q;volcheck;eject;volcheck;eject;eject -f;eject -q;eject -q;volcheck')"
expect "counters" "drive=empty mounted=no queue=0 fail_ejects=0 volcheck=3 eject=4 eject_failed=0 query=5 insert=3 " \
  "$(floppyctl status | tr '\n' ' ')"
expect "event log" "insert $t/d1|query in|eject $t/d1|query empty|insert $t/d2|query in|volcheck mounted $t/d2|\
eject $t/d2|insert $t/d3|volcheck mounted $t/d3|eject $t/d3|eject empty|query empty|query empty|volcheck empty|" \
  "$(tr '\n' '|' <"$FLOPPY_STATE/log")"

# Ejects that fail first, as when the drive is busy; the diskette stays in.
floppyctl init "$FLOPPY_STATE" --fail-ejects 2 --queue "$t/d1" "$t/d2"
expect "failing ejects" "floppyctl sync:0[pkg_tar.z1] eject -f:1[pkg_tar.z1] |eject: Device busy|\
eject -f:0[] |eject_failed=2" \
  "$(steps 'floppyctl sync;eject -f')|$(eject -f 2>&1)|$(steps 'eject -f')|$(floppyctl status | grep eject_failed)"

# An empty drive at the start: the operator waits to be asked once; blank
# images take what is written to the mounted diskette.
floppyctl init "$FLOPPY_STATE" --empty --blank 2
expect "empty start" "floppyctl sync:0[] eject -q:1[] eject -q:0[] volcheck:0[] " \
  "$(steps 'floppyctl sync;eject -q;eject -q;volcheck')"
echo data >"$FLOPPY_ROOT/floppy0/pkg_tar.z1"
eject
expect "written file stays in its image only" "data|" \
  "$(cat "$FLOPPY_STATE/disk1/pkg_tar.z1")|$(ls "$FLOPPY_STATE/disk2")"

# A real directory at the mount point is not replaced; no state, no drive.
floppyctl init "$FLOPPY_STATE" --queue "$t/d1"
rm -f "$FLOPPY_ROOT/floppy0"; mkdir "$FLOPPY_ROOT/floppy0"
expect "foreign mount point left alone" "floppyctl sync:1[] " "$(steps 'floppyctl sync')"
expect "no drive without state" "eject -q:2[] " "$(FLOPPY_STATE="" steps 'eject -q')"

[ $failures = 0 ] || { echo "floppy_test: $failures failed"; exit 1; }
echo "floppy_test: all passed"
