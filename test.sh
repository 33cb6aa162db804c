#!/usr/bin/env bash
# test.sh — build everything and run every test, then say what ran.
#
#   1. normal build (build/, Release, warnings are errors) and its tests,
#      the whole-program tests among them;
#   2. ASan+UBSan build (build-asan/) and its tests; SETUP_SKIP_SANITIZE=1
#      leaves it out;
#   3. clang build of the libFuzzer targets (build-fuzz/), each run for a
#      bounded time over its kept corpus; SETUP_SKIP_FUZZ=1 leaves it out;
#   4. with SETUP_BUILD_TYPES=1, every build type with g++ and clang++
#      (tools/build-types.sh, in a scratch directory).
#
# It checks its tools first: as root it installs the missing packages of
# tools/packages.sh, otherwise it names them and stops. Tests that could
# not run here (not root, no overlay support, no clang++) make it fail with
# the reason, unless SETUP_ALLOW_SKIP=1: then they are counted as skipped.
# It ends with a summary: per build, tests passed, failed and skipped; the
# fuzz targets and how long each ran.
set -uo pipefail
cd "$(dirname "$0")"
jobs=$(nproc 2>/dev/null || echo 2)
allow_skip=${SETUP_ALLOW_SKIP:-0}
do_sanitize=yes do_fuzz=yes do_types=no
[ "${SETUP_SKIP_SANITIZE:-0}" = 1 ] && do_sanitize=no
[ "${SETUP_SKIP_FUZZ:-0}" = 1 ] && do_fuzz=no
[ "${SETUP_BUILD_TYPES:-0}" = 1 ] && do_types=yes

summary=()   # the summary's lines
problems=()  # why the run fails
total_pass=0 total_fail=0 total_skip=0

banner() { printf '\n==== %s\n\n' "$*"; }
problem() { problems+=("$*"); }
since() { local s=$((SECONDS - $1)); printf '%dm%02ds' $((s / 60)) $((s % 60)); }
decode() { sed 's/&lt;/</g; s/&gt;/>/g; s/&quot;/"/g; s/&apos;/'"'"'/g; s/&amp;/\&/g'; }

banner "checking tools"
. tools/packages.sh
uses=(build test)
if [ $do_fuzz = yes ] || [ $do_types = yes ]; then uses+=(fuzz); fi
ensure_packages test.sh "${uses[@]}" || exit 1

# What would be skipped, said now rather than after the builds.
wp_skip=''
if [ "$(id -u)" != 0 ]; then
  wp_skip="needs root"
elif ! probe=$(COWHOST_LIST=/bin/true tools/cowhost/cowhost -p /dev/null -C / /bin/true 2>&1); then
  wp_skip=$(printf '%s\n' "$probe" | sed -n '1{s/^cowhost: //; s/; cannot run the command.*//; p}')
  case $wp_skip in *overlay*) wp_skip="no overlay support ($wp_skip)" ;; esac
fi
fuzz_skip=''
if [ $do_fuzz = yes ] && ! command -v clang++ >/dev/null; then fuzz_skip="clang++ missing"; fi
if [ $do_types = yes ] && ! command -v clang++ >/dev/null; then
  echo "test.sh: SETUP_BUILD_TYPES=1 needs clang++, which is missing" >&2
  exit 1
fi
if [ "$allow_skip" != 1 ] && { [ -n "$wp_skip" ] || [ -n "$fuzz_skip" ]; }; then
  [ -z "$wp_skip" ] || echo "test.sh: the whole-program tests would be skipped: $wp_skip." \
    "They run the installer as root on a copy-on-write copy of this machine." >&2
  [ -z "$fuzz_skip" ] || echo "test.sh: the fuzz phase would be skipped: $fuzz_skip." >&2
  echo "test.sh: run it as root where overlays work, or set SETUP_ALLOW_SKIP=1 to run the rest and count those as skipped." >&2
  exit 1
fi
echo "packages: present; whole-program tests: ${wp_skip:+skipped, }${wp_skip:-will run};" \
  "fuzz: $([ $do_fuzz = yes ] && echo "${fuzz_skip:-will run}" || echo "left out")"

# configure_and_build LABEL DIR CMAKE-ARGS...
configure_and_build() {
  local label=$1 dir=$2
  shift 2
  banner "$label: configure and build in $dir/"
  mkdir -p "$dir"
  if ! cmake -S . -B "$dir" "$@" >"$dir/configure.log" 2>&1; then
    tail -n 30 "$dir/configure.log"
    problem "$label: cmake failed (see $dir/configure.log)"
    summary+=("$label: cmake failed")
    return 1
  fi
  if ! cmake --build "$dir" -j "$jobs"; then
    problem "$label: the build failed"
    summary+=("$label: the build failed")
    return 1
  fi
}

# run_tests LABEL DIR CTEST-ARGS...: runs ctest and counts from its JUnit
# results: passed, failed, skipped and why.
run_tests() {
  local label=$1 dir=$2 t0=$SECONDS
  shift 2
  banner "$label: tests"
  local junit=$PWD/$dir/test-results.xml
  rm -f "$junit"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --no-tests=error --output-junit "$junit" "$@"
  local st=$?
  if [ ! -s "$junit" ]; then
    problem "$label: ctest ended with status $st and no results"
    summary+=("$label: no test results")
    return 1
  fi
  local n failed skipped disabled
  n=$(sed -n 's/^[[:space:]]*tests="\([0-9]*\)".*/\1/p' "$junit" | head -n 1)
  failed=$(sed -n 's/^[[:space:]]*failures="\([0-9]*\)".*/\1/p' "$junit" | head -n 1)
  skipped=$(sed -n 's/^[[:space:]]*skipped="\([0-9]*\)".*/\1/p' "$junit" | head -n 1)
  disabled=$(sed -n 's/^[[:space:]]*disabled="\([0-9]*\)".*/\1/p' "$junit" | head -n 1)
  skipped=$((${skipped:-0} + ${disabled:-0}))
  local passed=$((${n:-0} - ${failed:-0} - skipped))
  total_pass=$((total_pass + passed)) total_fail=$((total_fail + ${failed:-0})) total_skip=$((total_skip + skipped))
  summary+=("$label: $passed passed, ${failed:-0} failed, $skipped skipped ($(since "$t0"))")
  [ "${failed:-0}" = 0 ] && [ $st = 0 ] || problem "$label: ${failed:-0} test(s) failed (ctest status $st)"
  [ "${failed:-0}" = 0 ] || summary+=("    failed: $(awk '/<testcase / && /status="fail"/ {
      n = $0; sub(/.*<testcase name="/, "", n); sub(/".*/, "", n); printf "%s ", n }' "$junit" | decode)")
  if [ "$skipped" -gt 0 ]; then
    # Why each was skipped, from its own output: the whole-program tests'
    # GTEST_SKIP text, the shell tests' "skipped:" line.
    local why
    while IFS=$'\t' read -r count why names; do
      summary+=("    skipped, $why: $count ($names)")
    done < <(awk '
      /<testcase / { name = $0; sub(/.*<testcase name="/, "", name); sub(/".*/, "", name)
                     skip = ($0 ~ /status="(notrun|disabled)"/); reason = "" }
      skip && reason == "" && /whole-program runs: / { reason = $0; sub(/.*whole-program runs: /, "", reason) }
      skip && reason == "" && /skipped: / { reason = $0; sub(/.*skipped: /, "", reason) }
      /<\/testcase>/ && skip { if (reason == "") reason = "no reason given"
                               count[reason]++; if (count[reason] <= 3) list[reason] = list[reason] (count[reason] > 1 ? ", " : "") name
                               skip = 0 }
      END { for (r in count) printf "%d\t%s\t%s%s\n", count[r], r, list[r], (count[r] > 3 ? ", ..." : "") }
    ' "$junit" | decode)
    [ "$allow_skip" = 1 ] || problem "$label: $skipped test(s) skipped (SETUP_ALLOW_SKIP=1 allows it)"
  fi
}

# The fuzz targets: how long each ran and how many inputs it tried.
fuzz_details() {
  awk '
    /<testcase / { name = $0; sub(/.*<testcase name="/, "", name); sub(/".*/, "", name)
                   t = $0; sub(/.*time="/, "", t); sub(/".*/, "", t)
                   st = $0; sub(/.*status="/, "", st); sub(/".*/, "", st); runs = "?" }
    /stat::number_of_executed_units:/ { runs = $NF }
    /<\/testcase>/ { printf "    %s: %.0f s, %s inputs, %s\n", name, t, runs, (st == "run" ? "passed" : st) }
  ' "$1"
}

t_all=$SECONDS

if configure_and_build "normal build" build -DCMAKE_BUILD_TYPE=Release -DSETUP_WERROR=ON; then
  run_tests "normal build (Release)" build
fi

if [ $do_sanitize = yes ]; then
  if configure_and_build "sanitizer build" build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSETUP_SANITIZE=ON -DSETUP_WERROR=ON; then
    run_tests "sanitizer build (ASan+UBSan)" build-asan
  fi
else
  summary+=("sanitizer build: left out (SETUP_SKIP_SANITIZE=1)")
fi

if [ $do_fuzz = no ]; then
  summary+=("fuzz: left out (SETUP_SKIP_FUZZ=1)")
elif [ -n "$fuzz_skip" ]; then
  summary+=("fuzz: skipped: $fuzz_skip")
  total_skip=$((total_skip + 1))
else
  if configure_and_build "fuzz build" build-fuzz -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSETUP_FUZZ=ON -DSETUP_WERROR=ON; then
    # One target at a time; each run's final statistics are at its end.
    run_tests "fuzz targets (clang, libFuzzer)" build-fuzz -R '_fuzz$' -j 1 \
      --test-output-size-passed 4096 --test-output-truncation head
    [ -s build-fuzz/test-results.xml ] && while IFS= read -r line; do summary+=("$line"); done \
      < <(fuzz_details build-fuzz/test-results.xml)
  fi
fi

if [ $do_types = yes ]; then
  banner "build types: Debug, Release, RelWithDebInfo, MinSizeRel with g++ and clang++"
  t0=$SECONDS
  tools/build-types.sh | tee build-types.log
  types_status=${PIPESTATUS[0]}
  summary+=("build types: $(tail -n 1 build-types.log | sed 's/^build-types: //') ($(since "$t0"))")
  [ "$types_status" = 0 ] || problem "build types: $(grep -c FAILED build-types.log) failed (see build-types.log)"
fi

banner "summary ($(since "$t_all"))"
for line in "${summary[@]}"; do echo "$line"; done
echo
if [ ${#problems[@]} -gt 0 ]; then
  echo "test.sh: FAILED"
  for p in "${problems[@]}"; do echo "  - $p"; done
  status=1
else
  echo "test.sh: everything built and passed"
  status=0
fi
echo "total: $total_pass passed, $total_fail failed, $total_skip skipped"
exit $status
