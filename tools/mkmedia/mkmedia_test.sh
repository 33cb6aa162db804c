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

ok() { echo "ok:   $1"; }
bad() { echo "FAIL: $1"; failures=$((failures + 1)); }
expect() {  # DESCRIPTION EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then ok "$1"; else bad "$1: expected [$2], got [$3]"; fi
}
listing() { (cd "$1" && ls | tr '\n' ' '); }
# type, mode and size of every entry below DIR
tree() { (cd "$1" && find . -printf '%p %y %m %s\n' | LC_ALL=C sort); }

echo '#!/bin/sh' >"$t/setup"; chmod 755 "$t/setup"
echo 'help' >"$t/setup.hlp"

# An installation site in three pieces.
site=$t/site
"$here/mkmedia" -n 3 --setup "$t/setup" --help-file "$t/setup.hlp" "$sample" "$site" >/dev/null
expect "site mkmedia status" 0 $?
expect "site contents" "SolarisTavrin7315.tar.Z disks installfrom pkg_tar.z1 pkg_tar.z2 pkg_tar.z3 setup setup.hlp " "$(listing "$site")"
expect "site disks list" "pkg_tar.z1 disks setup.hlp setup installfrom
pkg_tar.z2
pkg_tar.z3
end_of_list" "$(cat "$site/disks")"
expect "site marker, no line end" "installation site|" "$(cat "$site/installfrom"; echo '|')"
expect "site marker bytes" 17 "$(wc -c <"$site/installfrom")"
expect "site directory mode" 755 "$(stat -c %a "$site")"
expect "installer kept executable" 755 "$(stat -c %a "$site/setup")"
expect "help file copied" help "$(cat "$site/setup.hlp")"

# The pieces, joined in list order, are the archive; it is in compress
# format and unpacks, as the installer does it, to the package.
(cd "$site" && cat pkg_tar.z1 pkg_tar.z2 pkg_tar.z3) >"$t/joined.tar.Z"
if cmp -s "$t/joined.tar.Z" "$site/SolarisTavrin7315.tar.Z"; then ok "pieces join to the archive"; else bad "pieces join to the archive"; fi
expect "compress magic" "1f9d" "$(head -c 2 "$t/joined.tar.Z" | od -An -tx1 | tr -d ' \n')"
mkdir "$t/unpack"
cp "$t/joined.tar.Z" "$t/unpack/SolarisTavrin7315.tar.Z"
(cd "$t/unpack" && uncompress SolarisTavrin7315.tar.Z && tar xfp SolarisTavrin7315.tar && rm SolarisTavrin7315.tar)
expect "archive unpacks" 0 $?
expect "only pkg/ at the top" "pkg " "$(listing "$t/unpack")"
expect "unpacked tree equals the package" "$(tree "$sample/pkg")" "$(tree "$t/unpack/pkg")"
if diff -r "$sample/pkg" "$t/unpack/pkg" >/dev/null; then ok "unpacked contents equal"; else bad "unpacked contents equal"; fi
expect "archive members owned by root" "0/0" "$(tar tvZf "$t/joined.tar.Z" | awk '{print $2}' | sort -u)"

# Diskette images with a fixed piece size: the last piece holds the rest.
disks=$t/disks
"$here/mkmedia" --diskettes -s 50000 "$sample" "$disks" >/dev/null
expect "diskettes mkmedia status" 0 $?
total=$(wc -c <"$site/SolarisTavrin7315.tar.Z")
expect "three diskettes" "disk1 disk2 disk3 " "$(listing "$disks")"
expect "diskette 1 files" "disks installfrom pkg_tar.z1 setup.hlp " "$(listing "$disks/disk1")"
expect "diskette 2 files" "pkg_tar.z2 " "$(listing "$disks/disk2")"
expect "diskette 3 files" "pkg_tar.z3 " "$(listing "$disks/disk3")"
expect "piece sizes" "50000 50000 $((total - 100000))" \
  "$(wc -c <"$disks/disk1/pkg_tar.z1") $(wc -c <"$disks/disk2/pkg_tar.z2") $(wc -c <"$disks/disk3/pkg_tar.z3")"
expect "diskette marker" "diskette" "$(cat "$disks/disk1/installfrom")"
expect "diskette list without installer" "pkg_tar.z1 disks setup.hlp installfrom
pkg_tar.z2
pkg_tar.z3
end_of_list" "$(cat "$disks/disk1/disks")"
expect "empty help file by default" 0 "$(wc -c <"$disks/disk1/setup.hlp")"
cat "$disks"/disk1/pkg_tar.z1 "$disks"/disk2/pkg_tar.z2 "$disks"/disk3/pkg_tar.z3 >"$t/joined2"
if cmp -s "$t/joined2" "$site/SolarisTavrin7315.tar.Z"; then ok "diskette pieces join to the archive"; else bad "diskette pieces join to the archive"; fi

# The default size makes one piece of the sample.
"$here/mkmedia" "$sample" "$t/one" >/dev/null
expect "one piece by default" "pkg_tar.z1 disks
end_of_list" "$(cut -d' ' -f1,2 "$t/one/disks")"

# Refusals.
"$here/mkmedia" "$sample" "$site" >/dev/null 2>&1
expect "non-empty output refused" 2 $?
mkdir -p "$t/nolist/pkg"
"$here/mkmedia" "$t/nolist" "$t/x" >/dev/null 2>&1
expect "package without pkg.list refused" 2 $?
"$here/mkmedia" -n 0 "$sample" "$t/y" >/dev/null 2>&1
expect "zero pieces refused" 2 $?
mkdir -p "$t/broken/pkg"; echo "missing mode 755" >"$t/broken/pkg/pkg.list"
expect "missing package file only warned about" \
  "mkmedia: warning: pkg.list names missing, which is not in $t/broken/pkg" \
  "$("$here/mkmedia" "$t/broken" "$t/z" 2>&1 >/dev/null)"

if [ $failures -gt 0 ]; then
  echo "mkmedia_test: $failures failed"
  exit 1
fi
echo "mkmedia_test: all passed"
