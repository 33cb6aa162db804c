#!/usr/bin/env bash
# build-types.sh — configure and build every target in each build type
# (Debug, Release, RelWithDebInfo, MinSizeRel) with g++ and with clang++,
# warnings as errors, in a scratch directory; a build whose log shows any
# warning (the linker's too) fails as well. Builds only: the tests run in
# test.sh's builds.
#
#   tools/build-types.sh [-h] [SCRATCH_DIR]
#
# SCRATCH_DIR (default: a new directory under $TMPDIR or /tmp) is removed
# at the end unless a build failed; then it keeps each build's log.
# Exit status: 0 when all eight built cleanly, 1 otherwise, 2 usage error.
set -uo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
case ${1:-} in
  -h | --help) sed -n '2,12s/^# \{0,1\}//p' "$0"; exit 0 ;;
  -*) echo "usage: build-types.sh [-h] [SCRATCH_DIR]" >&2; exit 2 ;;
esac
scratch=${1:-$(mktemp -d "${TMPDIR:-/tmp}/build-types.XXXXXX")}
mkdir -p "$scratch" || exit 1
jobs=$(nproc 2>/dev/null || echo 2)
ok=0 all=0 failed=()
for cxx in g++ clang++; do
  for type in Debug Release RelWithDebInfo MinSizeRel; do
    all=$((all + 1))
    dir=$scratch/$cxx-$type log=$scratch/$cxx-$type.log t0=$SECONDS
    if cmake -S "$src" -B "$dir" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE="$type" \
         -DSETUP_WERROR=ON >"$log" 2>&1 &&
       cmake --build "$dir" -j "$jobs" >>"$log" 2>&1 &&
       ! grep -q 'warning:' "$log"; then
      ok=$((ok + 1))
      echo "build-types: $cxx $type: ok ($((SECONDS - t0)) s)"
      rm -rf "$dir"
    else
      failed+=("$cxx $type")
      echo "build-types: $cxx $type: FAILED ($log):"
      grep -m 5 -E 'warning:|error:' "$log" | sed 's/^/    /'
    fi
  done
done
if [ ${#failed[@]} = 0 ]; then
  rm -rf "$scratch"
  echo "build-types: $ok of $all built without a warning"
  exit 0
fi
echo "build-types: $ok of $all built without a warning; FAILED: $(IFS=,; echo "${failed[*]}" | sed 's/,/, /g'); logs in $scratch"
exit 1
