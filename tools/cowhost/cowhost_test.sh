#!/bin/sh
# Tests of cowhost and the whole-program test wrapper.  Needs root and
# overlay support; reports itself skipped (status 77) otherwise. Binds and
# kept layers are what every whole-program test runs on; here: what the
# list says of each kind of change, and that the host stays as it was.
set -u
here=$(cd "$(dirname "$0")" && pwd)
cd /  # the working directory is tested below; elsewhere it must not matter
cow=$here/cowhost
failures=0
expect() {  # DESCRIPTION EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok:   $1"; else echo "FAIL: $1: expected [$2], got [$3]"; failures=$((failures + 1)); fi
}
attrs() {  # PATH OP: the list's text for PATH as the host has it, after OP
  case $(stat -c %F "$1") in directory) ty=d ;; *) ty=f ;; esac
  printf '%s %s %04d %s %s' "$2" $ty "$(stat -c %a "$1")" "$(stat -c %U "$1")" "$(stat -c %G "$1")"
}

if command -v setpriv >/dev/null && [ "$(id -u)" = 0 ]; then
  msg=$(setpriv --reuid=65534 --regid=65534 --clear-groups "$cow" true 2>&1)
  expect "not root: status 77 and why" "77 needs root" "$? $(echo "$msg" | grep -o 'needs root')"
fi
probe=$("$cow" -p /dev/null true 2>&1) || { echo "cowhost_test: skipped: $probe"; exit 77; }

# Host paths on the root file system (the one the overlay shows), outside
# /tmp, which is private inside.
base=
for d in /var/tmp /root /opt /srv; do [ -w "$d" ] && [ "$(stat -c %d "$d")" = "$(stat -c %d /)" ] && base=$d && break; done
[ -n "$base" ] || { echo "cowhost_test: skipped: no writable directory on /"; exit 77; }
h=$(mktemp -d "$base/cowhost_test.XXXXXX")
t=$(mktemp -d "${TMPDIR:-/tmp}/cowhost_test.XXXXXX")
trap 'rm -rf "$h" "$t"' EXIT
mkdir -p "$h/tree/sub" "$h/opaque/old" "$h/share"
echo a >"$h/tree/sub/f"; echo b >"$h/opaque/old/f"; echo host >"$h/share/f"
chmod 750 "$h/tree"
dv=/etc/debian_version issue=/etc/issue issuenet=/etc/issue.net
cp -p "$dv" "$t/dv.before"

# A known set of changes: each kind of change once.
out=$("$cow" -p "$t/preview" -C / sh -c "
  mkdir /etc/x && chmod 700 /etc/x; touch /usr/bin/y; rm $dv; echo more >> $issue
  touch $issuenet; ln -s /nowhere /etc/lnk; rm -rf $h/tree
  rm -rf $h/opaque && mkdir $h/opaque && echo n > $h/opaque/new
  chown 2:2 /usr/bin/y; echo hi > /tmp/t; echo finished" 2>"$t/stderr")
expect "status, stdout alone, stderr empty" "0 finished" "$? $out$(cat "$t/stderr")"
expect "list of changes" "$(LC_ALL=C sort -t '	' -k1,1 <<EOF | cut -f2-
$dv	$(attrs "$dv" -) $dv
/etc/lnk	+ l 0777 root root /etc/lnk -> /nowhere
/etc/x	+ d 0700 root root /etc/x
$issue	$(attrs "$issue" '~') $issue
$h/opaque/new	+ f 0644 root root $h/opaque/new
$h/opaque/old	$(attrs "$h/opaque/old" -) $h/opaque/old
$h/opaque/old/f	$(attrs "$h/opaque/old/f" -) $h/opaque/old/f
$h/tree	- d 0750 root root $h/tree
$h/tree/sub	$(attrs "$h/tree/sub" -) $h/tree/sub
$h/tree/sub/f	$(attrs "$h/tree/sub/f" -) $h/tree/sub/f
/tmp/t	+ f 0644 root root /tmp/t
/usr/bin/y	+ f 0644 $(getent passwd 2 | cut -d: -f1) $(getent group 2 | cut -d: -f1) /usr/bin/y
EOF
)" "$(cat "$t/preview")"
[ ! -e /etc/x ] && [ ! -e /usr/bin/y ] && [ ! -e /etc/lnk ] && cmp -s "$dv" "$t/dv.before" && [ -f "$h/tree/sub/f" ] &&
  [ -f "$h/opaque/old/f" ] && [ ! -e "$h/opaque/new" ] && ! grep -q '^more$' "$issue"
expect "host untouched" 0 $?

# Stdin, environment (not cowhost's own) and exit status pass through; the
# list goes to stderr without -p.
out=$(printf abc | FOO=bar "$cow" sh -c 'cat; echo " $FOO:${COWHOST_BASE:-}"; touch /etc/z; exit 3' 2>"$t/stderr")
expect "passed through, list on stderr" "3 abc bar: + f 0644 root root /etc/z" "$? $out $(cat "$t/stderr")"

# The working directory: the caller's where the copy shows it (on / outside
# /tmp, or through a bind), else / with a note; /tmp starts empty inside. A
# relative command path is the caller's, whatever -C says.
mkdir -p "$h/cwd/bin"
printf '#!/bin/sh\necho "$0 in $(pwd)"\n' >"$h/cwd/bin/hello"; chmod 755 "$h/cwd/bin/hello"
hidden=$(mktemp -d /tmp/cowhost_test.XXXXXX)
trap 'rm -rf "$h" "$t" "$hidden"' EXIT
cp -p -R "$h/cwd/bin" "$hidden/"
out=$(cd "$h/cwd" && "$cow" -p /dev/null -- sh -c 'pwd; ls -A /tmp | wc -l' 2>&1; cd "$h/cwd" && "$cow" -p /dev/null -C / bin/hello 2>&1)
expect "visible directory kept, relative command found" "$h/cwd 0 $h/cwd/bin/hello in /" "$(echo $out)"
out=$(cd "$hidden" && "$cow" -p /dev/null -r "$hidden:/mnt/cowhidden" ./bin/hello 2>&1)
expect "directory shown through a bind" "/mnt/cowhidden/bin/hello in /mnt/cowhidden" "$out"
out=$(cd "$hidden" && "$cow" -p /dev/null pwd 2>"$t/stderr")
expect "directory in /tmp: / and a note" "0 / 1" "$? $out $(grep -c "working directory $hidden is not visible inside the copy" "$t/stderr")"
(cd "$hidden" && "$cow" -p /dev/null bin/hello >/dev/null 2>"$t/stderr")
expect "relative command from a directory the copy does not show" "127 1" \
  "$? $(grep -c "bin/hello is not inside the copy: $hidden is not visible there" "$t/stderr")"

# A directory that is not a layer of its own is never used as one.
mkdir -p "$t/notalayer"; echo x >"$t/notalayer/f"
"$cow" -u "$t/notalayer" true 2>/dev/null
expect "a foreign non-empty directory is refused as a layer, and kept" "2 x" "$? $(cat "$t/notalayer/f")"

# The whole-program test wrapper: stand-ins first on PATH, the simulated
# drive before them, stdin and stdout passed through, results in OUT.
floppy=$(cd "$here/../floppy" && pwd -P)
mkdir -p "$t/img1" "$t/img2"; echo one >"$t/img1/pkg_tar.z1"
"$floppy/floppyctl" init "$t/state" --queue "$t/img1" "$t/img2"
out=$(printf 'typed\n' | "$here/run-setup-test" -f "$t/state" "$t/out" sh -c '
  read line; echo "$line"; cat /floppy/floppy0/pkg_tar.z1; whoami; command -v eject
  eject -f; volcheck; echo two > /floppy/floppy0/pkg_tar.z2; echo log > /tmp/setup.log; exit 4')
expect "wrapper: status, stdin, drive, stand-ins" "4 typed one root $floppy/eject" "$? $(echo $out)"
expect "wrapper: status file, log, written diskette, list without the drive" \
  "4 log two + f 0644 root root /tmp/setup.log" \
  "$(cat "$t/out/status" "$t/out/setup.log" "$t/img2/pkg_tar.z2" "$t/out/preview" | tr '\n' ' ' | sed 's/ $//')"

[ $failures = 0 ] || { echo "cowhost_test: $failures failed"; exit 1; }
echo "cowhost_test: all passed"
