#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, then the
# ASan+UBSan build, then a clang build of the libFuzzer targets, each run
# for a bounded time over its kept corpus. SETUP_SKIP_SANITIZE=1 and
# SETUP_SKIP_FUZZ=1 leave out the second and third.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc 2>/dev/null || echo 2)

run() {  # run BUILD_DIR [cmake options...]
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

run build
if [ "${SETUP_SKIP_SANITIZE:-0}" != 1 ]; then
  run build-asan -DSETUP_SANITIZE=ON
fi
if [ "${SETUP_SKIP_FUZZ:-0}" != 1 ] && command -v clang++ >/dev/null; then
  CXX=clang++ cmake -S . -B build-fuzz -DSETUP_FUZZ=ON -DSETUP_WERROR=OFF >/dev/null
  cmake --build build-fuzz -j "$jobs"
  ctest --test-dir build-fuzz --output-on-failure -R '_fuzz$'
fi
