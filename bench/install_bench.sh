#!/bin/sh
# install_bench.sh — what the installer costs over the commands it runs.
#
# A full install of the sample package from an installation site, on a
# throw-away copy of this machine (tools/cowhost) with the pauses stubbed
# (tests/fakebin/sleep), against a plain shell script that issues the same
# command lines, taken from the installer's own log, in the same kind of
# copy, and against the same install previewed (setup --preview: a view
# inside the copy, then the list of changes). Prints the median wall
# times, the ratios installer / script and previewed / installer, and the
# installer's peak memory.
#
# usage: bench/install_bench.sh [BUILD_DIR] [RUNS]   (as root; default build, 5)
set -eu

src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
runs=${2:-5}
cowhost=$src/tools/cowhost/cowhost
export COWHOST_LIST=$build/bin/cowlist
[ -x "$build/bin/setup" ] || { echo "no $build/bin/setup: build the setup_bin target" >&2; exit 2; }
[ "$(id -u)" = 0 ] || { echo "needs root (copy-on-write host)" >&2; exit 77; }

work=$(mktemp -d "${TMPDIR:-/tmp}/install_bench.XXXXXX")
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT INT TERM
cd "$work"

# The site: the sample package in two pieces, its list, the installer.
mkdir -p bin site tree/pkg
cp "$src"/tests/fakebin/* bin/
cp "$src"/sample/pkg/* tree/pkg/
tar -C tree --owner=0 --group=0 -cf SolarisTavrin7315.tar pkg
compress -f SolarisTavrin7315.tar
split -n 2 --numeric-suffixes=1 -a 1 SolarisTavrin7315.tar.Z site/pkg_tar.z
printf 'disks setup.hlp pkg_tar.z1\npkg_tar.z2\n' > site/disks
printf 'installation site' > site/installfrom
printf 'help\n' > site/setup.hlp
cp "$build/bin/setup" site/setup
printf '1\n\ny\n' > answers

export PATH=/b/bin:/usr/bin:/bin:/usr/sbin:/sbin FAKE_DF_AVAIL=1000000

# host COMMAND...: one run in a fresh copy, with the scratch at /b.
host() { "$cowhost" -p /dev/null -b "$work:/b" -x /b -C /b -- "$@"; }

# Nanoseconds of one command inside the copy (the copy's own set-up is
# left out), written to the file named first.
timed() {
  out=$1; shift
  host sh -c 'umask 022; s=$(date +%s%N); "$@" >/dev/null 2>&1 </b/answers; e=$(date +%s%N);
              echo $((e - s)) > "/b/'"$out"'"' sh "$@"
}

# One run to get the command lines; the plain script replays them in the
# same order with the log redirections the runner adds (none to a line
# that has its own).
host sh -c 'umask 022; /b/site/setup </b/answers >/dev/null 2>&1; cp /tmp/setup.log /b/setup.log'
{
  echo 'umask 022; mkdir -p /tmp/ZantoInstall; : > /tmp/plain.log'
  # The installer unpacks inside the work directory.
  grep '^/' setup.log | grep -v '^[^ ]*: ' | sed '/>/!s/$/ >>\/tmp\/plain.log 2>\&1/' |
    sed 's/^[^ ]*tar xvfp /cd \/tmp\/ZantoInstall \&\& &/'
  echo 'test -f /opt/Zanto/7315/setup7315.ran'
} > plain.sh
host sh /b/plain.sh || { echo "the replayed command lines did not install the driver" >&2; exit 1; }
echo "command lines replayed: $(grep -c '^/' setup.log)"

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
: > t_setup; : > t_plain; : > t_preview
i=0
while [ $i -lt "$runs" ]; do
  timed one /b/site/setup; cat one >> t_setup
  timed one sh /b/plain.sh; cat one >> t_plain
  timed one /b/site/setup --preview; cat one >> t_preview
  i=$((i + 1))
done
ms() { awk -v n="$1" 'BEGIN {printf "%.1f ms", n / 1e6}'; }
a=$(median < t_setup); b=$(median < t_plain); c=$(median < t_preview)
echo "installer: $(ms "$a") (median of $runs)"
echo "script:    $(ms "$b") (median of $runs)"
echo "previewed: $(ms "$c") (median of $runs)"
awk -v a="$a" -v b="$b" 'BEGIN {printf "ratio installer/script: %.2f\n", a / b}'
awk -v a="$a" -v c="$c" 'BEGIN {printf "ratio previewed/installer: %.2f\n", c / a}'

# Peak memory of the installer process (its children not counted).
if [ -x /usr/bin/time ]; then
  host sh -c 'umask 022; /usr/bin/time -v /b/site/setup </b/answers >/dev/null 2>/b/time.txt' || true
  # wait4 reports the largest of the installer and the commands it waited for.
  kb=$(sed -n 's/.*Maximum resident set size (kbytes): *//p' time.txt)
  echo "peak memory (installer and its commands, largest): $kb kB"
else
  echo "installer peak memory: /usr/bin/time not present"
fi
