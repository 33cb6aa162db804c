#!/bin/sh
# Tests of the media builder on the sample package: the pieces join back to
# the archive, the archive unpacks to the package, the list and the marker
# are as the installer reads them, and each diskette holds its line's files.
set -u
here=$(cd "$(dirname "$0")" && pwd)
src=${SETUP_SOURCE_DIR:-$(cd "$here/../.." && pwd)}
sample=$src/sample
t=$(mktemp -d "${TMPDIR:-/tmp}/mkmedia_test.XXXXXX")
trap 'rm -rf "$t"' EXIT
failures=0
expect() {  # DESCRIPTION EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok:   $1"; else echo "FAIL: $1: expected [$2], got [$3]"; failures=$((failures + 1)); fi
}
listing() { for d in "$@"; do printf '%s/' "$(cd "$d" && ls | tr '\n' ' ')"; done; }
tree() { (cd "$1" && find . -printf '%p %y %m %s\n' | LC_ALL=C sort); }  # type, mode, size below DIR
echo '#!/bin/sh' >"$t/setup"; chmod 755 "$t/setup"
echo 'help' >"$t/setup.hlp"

# An installation site in three pieces.
site=$t/site
"$here/mkmedia" -n 3 --setup "$t/setup" --help-file "$t/setup.hlp" "$sample" "$site" >/dev/null
expect "site" "0 SolarisTavrin7315.tar.Z disks installfrom pkg_tar.z1 pkg_tar.z2 pkg_tar.z3 setup setup.hlp /|\
pkg_tar.z1 disks setup.hlp setup installfrom|pkg_tar.z2|pkg_tar.z3|end_of_list|installation site|755 755 help" \
  "$? $(listing "$site")|$(tr '\n' '|' <"$site/disks")$(cat "$site/installfrom"; echo '|')\
$(stat -c %a "$site" "$site/setup" | tr '\n' ' ')$(cat "$site/setup.hlp")"

# The pieces, joined in list order, are the archive, in compress format;
# it unpacks, as the installer does it, to the package.
(cd "$site" && cat pkg_tar.z1 pkg_tar.z2 pkg_tar.z3) >"$t/joined.tar.Z"
expect "pieces join to the archive" "0 1f9d" \
  "$(cmp -s "$t/joined.tar.Z" "$site/SolarisTavrin7315.tar.Z"; echo $?) $(head -c 2 "$t/joined.tar.Z" | od -An -tx1 | tr -d ' \n')"
mkdir "$t/unpack"
cp "$t/joined.tar.Z" "$t/unpack/SolarisTavrin7315.tar.Z"
(cd "$t/unpack" && uncompress SolarisTavrin7315.tar.Z && tar xfp SolarisTavrin7315.tar && rm SolarisTavrin7315.tar)
expect "archive unpacks to pkg/ alone" "0 pkg /" "$? $(listing "$t/unpack")"
expect "unpacked tree and contents equal the package, owned by root" "$(tree "$sample/pkg") 0 0/0" \
  "$(tree "$t/unpack/pkg") $(diff -r "$sample/pkg" "$t/unpack/pkg" >/dev/null; echo $?) $(tar tvZf "$t/joined.tar.Z" | awk '{print $2}' | sort -u)"

# Diskette images with a fixed piece size: the last piece holds the rest.
disks=$t/disks
"$here/mkmedia" --diskettes -s 50000 "$sample" "$disks" >/dev/null
st=$?
sizes=$(cd "$disks" && echo $(wc -c <disk1/pkg_tar.z1) $(wc -c <disk2/pkg_tar.z2) $(wc -c <disk3/pkg_tar.z3) $(wc -c <disk1/setup.hlp))
expect "diskettes" "0 disk1 disk2 disk3 /disks installfrom pkg_tar.z1 setup.hlp /pkg_tar.z2 /pkg_tar.z3 /|\
50000 50000 $(($(wc -c <"$site/SolarisTavrin7315.tar.Z") - 100000)) 0|diskette|\
pkg_tar.z1 disks setup.hlp installfrom|pkg_tar.z2|pkg_tar.z3|end_of_list|" \
  "$st $(listing "$disks" "$disks/disk1" "$disks/disk2" "$disks/disk3")|$sizes|$(cat "$disks/disk1/installfrom")|$(tr '\n' '|' <"$disks/disk1/disks")"
cat "$disks"/disk1/pkg_tar.z1 "$disks"/disk2/pkg_tar.z2 "$disks"/disk3/pkg_tar.z3 >"$t/joined2"
expect "diskette pieces join to the archive" 0 "$(cmp -s "$t/joined2" "$site/SolarisTavrin7315.tar.Z"; echo $?)"

# The default size makes one piece of the sample.
"$here/mkmedia" "$sample" "$t/one" >/dev/null
expect "one piece by default" "pkg_tar.z1 disks|end_of_list|" "$(cut -d' ' -f1,2 "$t/one/disks" | tr '\n' '|')"

# Refused: a non-empty output, a package without pkg.list, zero pieces; a
# file missing from the package is only warned about.
mkdir -p "$t/nolist/pkg" "$t/broken/pkg"; echo "missing mode 755" >"$t/broken/pkg/pkg.list"
expect "refusals" "2 2 2" "$(for a in "$sample $site" "$t/nolist $t/x" "-n 0 $sample $t/y"; do
  "$here/mkmedia" $a >/dev/null 2>&1; echo $?; done | tr '\n' ' ' | sed 's/ $//')"
warning=$("$here/mkmedia" "$t/broken" "$t/z" 2>&1 >/dev/null)
expect "missing package file only warned about" \
  "0 mkmedia: warning: pkg.list names missing, which is not in $t/broken/pkg" "$? $warning"

[ $failures = 0 ] || { echo "mkmedia_test: $failures failed"; exit 1; }
echo "mkmedia_test: all passed"
