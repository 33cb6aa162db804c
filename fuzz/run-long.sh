#!/bin/sh
# Long fuzzing runs, beyond the bounded ones of the test suite.
#
#   fuzz/run-long.sh MINUTES [TARGET...]
#     Builds the libFuzzer targets with clang in a build directory of their
#     own, then runs each (all of them when none is named) for MINUTES
#     minutes on every core: one fuzzing process per core (-jobs/-workers),
#     all sharing one corpus. That corpus starts as a copy of the kept one
#     in fuzz/corpus and keeps what the run finds; crash inputs are kept
#     beside it. Prints a table: inputs run, inputs per second, corpus
#     size, crashes and the largest resident size a process reached.
#     Exits 1 when any target crashed.
#
#   fuzz/run-long.sh merge TARGET...
#     Adds to the kept corpus of each target the fewest inputs of the long
#     runs that reach code it does not (-merge=1, edges only); the kept
#     inputs stay as they are.
#
# Environment: FUZZ_BUILD, the build directory (build-fuzz-long in the
# source tree); FUZZ_OUT, the runs' corpora, crashes and logs ($FUZZ_BUILD/
# long); FUZZ_WORKERS, the processes per target (the number of cores).
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD:-$src/build-fuzz-long}
out=${FUZZ_OUT:-$build/long}
workers=${FUZZ_WORKERS:-$(nproc 2>/dev/null || echo 2)}
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"

usage() {
  echo "usage: $0 MINUTES [TARGET...] | $0 merge TARGET..." >&2
  exit 2
}
[ $# -ge 1 ] || usage

all_targets() {
  for f in "$src"/fuzz/*_fuzz.cc; do basename "$f" .cc; done
}

build_targets() {
  CXX=${CXX:-clang++} cmake -S "$src" -B "$build" -DSETUP_FUZZ=ON -DSETUP_WERROR=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j "$workers" --target "$@" >/dev/null
}

count() { find "$1" -type f | wc -l; }

if [ "$1" = merge ]; then
  shift
  [ $# -ge 1 ] || usage
  build_targets "$@"
  mkdir -p "$out/logs"
  for t in "$@"; do
    kept=$src/fuzz/corpus/$t
    mkdir -p "$out/corpus/$t" "$kept"
    before=$(count "$kept")
    # Edges only, not hit counts: few inputs, all of the code they reach.
    "$build/fuzz/$t" -merge=1 -use_counters=0 -use_value_profile=0 "$kept" "$out/corpus/$t" \
      >"$out/logs/$t.merge.log" 2>&1 ||
      { echo "$t: merge failed, see $out/logs/$t.merge.log" >&2; exit 1; }
    echo "$t: $before kept inputs, $(($(count "$kept") - before)) added"
  done
  exit 0
fi

minutes=$1
shift
case $minutes in '' | *[!0-9]*) usage ;; esac
# shellcheck disable=SC2046 # target names hold no blanks
[ $# -ge 1 ] || set -- $(all_targets)
build_targets "$@"

seconds=$((minutes * 60))
crashed=0
report=$(mktemp)
printf '%-20s %12s %10s %8s %8s %10s\n' target inputs "inputs/s" corpus crashes "peak rss" >"$report"
for t in "$@"; do
  corpus=$out/corpus/$t
  crashes=$out/crashes/$t
  logs=$out/logs/$t
  mkdir -p "$corpus" "$crashes" "$logs"
  cp -r "$src/fuzz/corpus/$t/." "$corpus/" 2>/dev/null || true
  rm -f "$logs"/fuzz-*.log
  dict=
  [ ! -f "$src/fuzz/$t.dict" ] || dict=-dict=$src/fuzz/$t.dict
  start=$(date +%s)
  # Each worker writes fuzz-N.log in the current directory.
  (cd "$logs" && "$build/fuzz/$t" -jobs="$workers" -workers="$workers" \
    -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2560 -print_final_stats=1 \
    -artifact_prefix="$crashes/" ${dict:+"$dict"} "$corpus" >"$logs/main.log" 2>&1) || true
  elapsed=$(($(date +%s) - start))
  # Inputs: the last count each worker printed; the peak resident size
  # of any worker at any point of the run.
  runs=0
  rss=0
  for log in "$logs"/fuzz-*.log; do
    [ -f "$log" ] || continue
    n=$(grep -oE '^#[0-9]+' "$log" | tail -n 1 | tr -d '#')
    runs=$((runs + ${n:-0}))
    r=$(grep -oE 'rss: [0-9]+Mb' "$log" | tr -dc '0-9\n' | sort -n | tail -n 1)
    [ "${r:-0}" -gt "$rss" ] && rss=$r
  done
  found=$(find "$crashes" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
    -o -name 'oom-*' \) | wc -l)
  [ "$found" -eq 0 ] || crashed=1
  printf '%-20s %12d %10d %8d %8d %8dMB\n' "$t" "$runs" $((runs / (elapsed > 0 ? elapsed : 1))) \
    "$(count "$corpus")" "$found" "$rss" >>"$report"
done
cat "$report"
rm -f "$report"
echo "($workers workers per target, $minutes min each; corpora, crashes and logs in $out)"
exit $crashed
