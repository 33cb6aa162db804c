#!/bin/sh
# preview_bench.sh — what `setup --preview` costs over a normal run.
#
# A full install of the sample package from an installation site, on a
# throw-away copy of this machine (tools/cowhost) with the pauses stubbed
# (tests/fakebin/sleep), once as a normal run and once previewed (a view
# inside the copy, then the list of changes). Prints the median wall times
# and their ratio.
#
# usage: bench/preview_bench.sh [BUILD_DIR] [RUNS]   (as root; default build, 7)
set -eu

src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
runs=${2:-7}
cowhost=$src/tools/cowhost/cowhost
[ -x "$build/bin/setup" ] || { echo "no $build/bin/setup: build the setup_bin target" >&2; exit 2; }
[ "$(id -u)" = 0 ] || { echo "needs root (copy-on-write host)" >&2; exit 77; }

work=$(mktemp -d "${TMPDIR:-/tmp}/preview_bench.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
cd "$work"
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

# Nanoseconds of one run inside a fresh copy (the copy's own set-up left
# out), written to the file named first.
timed() {
  out=$1; shift
  "$cowhost" -p /dev/null -b "$work:/b" -x /b -C /b -- sh -c 'umask 022; s=$(date +%s%N);
    "$@" >/dev/null 2>&1 </b/answers; e=$(date +%s%N); echo $((e - s)) > "/b/'"$out"'"' sh "$@"
}

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
: > t_run; : > t_preview
i=0
while [ $i -lt "$runs" ]; do
  timed one /b/site/setup; cat one >> t_run
  timed one /b/site/setup --preview; cat one >> t_preview
  i=$((i + 1))
done
ms() { awk -v n="$1" 'BEGIN {printf "%.1f ms", n / 1e6}'; }
a=$(median < t_run); b=$(median < t_preview)
echo "normal run: $(ms "$a") (median of $runs)"
echo "previewed:  $(ms "$b") (median of $runs)"
awk -v a="$a" -v b="$b" 'BEGIN {printf "ratio previewed/normal: %.2f\n", b / a}'
