#!/bin/sh
# Tests of the simulated diskette drive: the scripted operator, failing
# ejects, a wrong diskette, and written files staying in the images.
set -u
here=$(cd "$(dirname "$0")" && pwd)
t=$(mktemp -d "${TMPDIR:-/tmp}/floppy_test.XXXXXX")
trap 'rm -rf "$t"' EXIT
export FLOPPY_ROOT="$t/root" FLOPPY_STATE="$t/state" PATH="$here:$PATH"
failures=0

ok() { echo "ok:   $1"; }
bad() { echo "FAIL: $1"; failures=$((failures + 1)); }
expect() {  # DESCRIPTION EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then ok "$1"; else bad "$1: expected [$2], got [$3]"; fi
}
status_of() { "$@" >/dev/null 2>&1; echo $?; }
mounted() { ls "$FLOPPY_ROOT/floppy0" 2>/dev/null | tr '\n' ' '; }

mkdir -p "$t/d1" "$t/d2" "$t/d3"
echo 1 >"$t/d1/pkg_tar.z1"; echo 2 >"$t/d2/pkg_tar.z2"; echo 3 >"$t/d3/pkg_tar.z3"

# The operator follows the queue: first diskette in and mounted from the
# start; after an eject the first query finds the drive empty, the next one
# finds the next diskette, which volcheck then mounts.
floppyctl init "$FLOPPY_STATE" --queue "$t/d1" "$t/d2" "$t/d3"
floppyctl sync
expect "first diskette mounted at start" "pkg_tar.z1 " "$(mounted)"
expect "query with a diskette in" 0 "$(status_of eject -q)"
expect "eject -f" 0 "$(status_of eject -f)"
expect "nothing mounted after eject" "" "$(mounted)"
expect "first query after eject: empty" 1 "$(status_of eject -q)"
expect "next query: next diskette in" 0 "$(status_of eject -q)"
expect "not mounted before volcheck" "" "$(mounted)"
expect "volcheck" 0 "$(status_of volcheck)"
expect "second diskette mounted" "pkg_tar.z2 " "$(mounted)"
eject >/dev/null
expect "volcheck after eject finds the next diskette" 0 "$(status_of volcheck)"
expect "third diskette mounted" "pkg_tar.z3 " "$(mounted)"
eject
expect "eject of an empty drive succeeds" 0 "$(status_of eject -f)"
expect "queue used up: query finds nothing" 1 "$(status_of eject -q)"
expect "queue used up: again nothing" 1 "$(status_of eject -q)"
expect "queue used up: volcheck mounts nothing" 1 "$(status_of volcheck)"
expect "counters" "drive=empty
mounted=no
queue=0
fail_ejects=0
volcheck=3
eject=4
eject_failed=0
query=5
insert=3" "$(floppyctl status)"
expect "event log" "insert $t/d1
query in
eject $t/d1
query empty
insert $t/d2
query in
volcheck mounted $t/d2
eject $t/d2
insert $t/d3
volcheck mounted $t/d3
eject $t/d3
eject empty
query empty
query empty
volcheck empty" "$(cat "$FLOPPY_STATE/log")"

# Ejects that fail first, as when the drive is busy; the diskette stays in.
floppyctl init "$FLOPPY_STATE" --fail-ejects 2 --queue "$t/d1" "$t/d2"
floppyctl sync
expect "first eject fails" 1 "$(status_of eject -f)"
expect "failing eject says so" "eject: Device busy" "$(eject -f 2>&1)"
expect "diskette still mounted" "pkg_tar.z1 " "$(mounted)"
expect "third eject succeeds" 0 "$(status_of eject -f)"
expect "two ejects failed" "eject_failed=2" "$(floppyctl status | grep eject_failed)"

# A wrong diskette: the queue holds d3 before d2.
floppyctl init "$FLOPPY_STATE" --queue "$t/d1" "$t/d3" "$t/d2"
floppyctl sync
eject; volcheck
expect "wrong diskette mounted" "pkg_tar.z3 " "$(mounted)"
eject; volcheck
expect "then the right one" "pkg_tar.z2 " "$(mounted)"

# An empty drive at the start: the operator waits to be asked once; blank
# images take what is written to the mounted diskette.
floppyctl init "$FLOPPY_STATE" --empty --blank 2
floppyctl sync
expect "empty start: nothing mounted" "" "$(mounted)"
expect "empty start: first query empty" 1 "$(status_of eject -q)"
expect "empty start: then a diskette" 0 "$(status_of eject -q)"
volcheck
echo data >"$FLOPPY_ROOT/floppy0/pkg_tar.z1"
eject
expect "written file stays in the image" data "$(cat "$FLOPPY_STATE/disk1/pkg_tar.z1")"
expect "second blank still empty" "" "$(ls "$FLOPPY_STATE/disk2")"

# A real directory at the mount point is not replaced.
floppyctl init "$FLOPPY_STATE" --queue "$t/d1"
rm -f "$FLOPPY_ROOT/floppy0"; mkdir "$FLOPPY_ROOT/floppy0"
expect "foreign mount point left alone" 1 "$(status_of floppyctl sync)"
expect "no drive without state" 2 "$(FLOPPY_STATE="" status_of eject -q)"

if [ $failures -gt 0 ]; then
  echo "floppy_test: $failures failed"
  exit 1
fi
echo "floppy_test: all passed"
