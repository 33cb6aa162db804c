#!/bin/sh
# Tests of the media builder on the sample package: the pieces join back to
# the archive, the archive unpacks to the package, the list and the marker
# are as the installer reads them, each diskette holds its line's files and
# no more than its capacity.
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

# Diskettes sized to their capacity: diskette 1 keeps room for the list,
# the marker, the help file and the installer (one, one, one and six
# sectors), the others are filled, the last holds the rest.
occupied() { for d in "$@"; do printf '%s ' $(($(find "$d" -type f -printf '%s\n' | awk '{n += int(($1 + 511) / 512)} END {print n + 0}') * 512)); done; }
head -c 3000 /dev/zero >"$t/setup3000"
"$here/mkmedia" --diskettes -c 51200 --setup "$t/setup3000" --help-file "$t/setup.hlp" "$sample" "$t/fill" >/dev/null
st=$?
archive=$(wc -c <"$site/SolarisTavrin7315.tar.Z")
last=$(((archive - 46592 - 51200 + 511) / 512 * 512))
expect "diskettes filled to 51200 bytes each" "0 disk1 disk2 disk3 /|46592|51200 51200 $last " \
  "$st $(listing "$t/fill")|$(wc -c <"$t/fill/disk1/pkg_tar.z1")|$(occupied "$t/fill/disk1" "$t/fill/disk2" "$t/fill/disk3")"
cat "$t/fill"/disk1/pkg_tar.z1 "$t/fill"/disk2/pkg_tar.z2 "$t/fill"/disk3/pkg_tar.z3 >"$t/joined3"
expect "filled pieces join to the archive" 0 "$(cmp -s "$t/joined3" "$site/SolarisTavrin7315.tar.Z"; echo $?)"

# The installer as the build makes it for media, with the shipped help, on
# a 1.44 MB diskette.
if [ -n "${SETUP_DIST_SETUP:-}" ]; then
  "$here/mkmedia" --diskettes --setup "$SETUP_DIST_SETUP" --help-file "$SETUP_DIST_HELP" "$sample" "$t/real" >/dev/null
  st=$?
  used=$(occupied "$t/real/disk1")
  expect "the real installer, its help and piece 1 fit diskette 1" "0 setup yes" \
    "$st $(ls "$t/real/disk1" | grep -x setup) $([ "$used" -le 1457664 ] && echo yes || echo "no: $used")"
else
  echo "note: SETUP_DIST_SETUP not set: the real installer is not tried on a diskette"
fi

# Refused, naming the diskette and how far it is over, with nothing made:
# an installer larger than a diskette; pieces larger than the room left.
head -c 30000 /dev/zero >"$t/setup30000"
msg=$("$here/mkmedia" --diskettes -c 20480 --setup "$t/setup30000" "$sample" "$t/big" 2>&1 >/dev/null)
expect "installer larger than the diskette" "1 diskette 1 cannot hold pkg_tar.z1, disks, setup.hlp, setup, installfrom: 31744 bytes, 11264 more than the 20480 it holds|no" \
  "$? $(echo "$msg" | head -n 1 | sed 's/^mkmedia: //')|$([ -e "$t/big" ] && echo yes || echo no)"
msg=$("$here/mkmedia" --site -s 60000 -c 51200 "$sample" "$t/bigpieces" 2>&1 >/dev/null)
expect "site whose first piece leaves no room" "1 diskette 1 cannot hold pkg_tar.z1, disks, setup.hlp, installfrom: 61440 bytes, 10240 more than the 51200 it holds|no" \
  "$? $(echo "$msg" | head -n 1 | sed 's/^mkmedia: //')|$([ -e "$t/bigpieces" ] && echo yes || echo no)"

# Refused: a non-empty output, a package without pkg.list (1); zero pieces,
# a capacity that is not a number (2, usage). A file missing from the
# package is only warned about.
mkdir -p "$t/nolist/pkg" "$t/broken/pkg"; echo "missing mode 755" >"$t/broken/pkg/pkg.list"
expect "refusals" "1 1 2 2" "$(for a in "$sample $site" "$t/nolist $t/x" "-n 0 $sample $t/y" "-c 1.44M $sample $t/y"; do
  "$here/mkmedia" $a >/dev/null 2>&1; echo $?; done | tr '\n' ' ' | sed 's/ $//')"
warning=$("$here/mkmedia" "$t/broken" "$t/z" 2>&1 >/dev/null)
expect "missing package file only warned about" \
  "0 mkmedia: warning: pkg.list names missing, which is not in $t/broken/pkg" "$? $warning"

[ $failures = 0 ] || { echo "mkmedia_test: $failures failed"; exit 1; }
echo "mkmedia_test: all passed"
