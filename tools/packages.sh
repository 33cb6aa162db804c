# tools/packages.sh — the Debian packages that building, testing and the
# demo need, and how to get them: sourced by test.sh, .ci/run and demo.sh,
# so that there is one list.
#
#   . tools/packages.sh
#   ensure_packages WHO USE...   install what USE needs (root), or name it
#   missing_packages USE...      print what USE needs and is not installed
#
# USE: build (compile, run the tests and the demo), test (the tests alone),
# fuzz (the clang builds: the fuzz phase and the clang build types).

setup_package_list() {
  # NAME              USE    why
  cat <<'LIST'
g++                 build
cmake               build
make                build
libgtest-dev        build
libgmock-dev        build
libbenchmark-dev    build  the memory-pool benchmark
binutils            build  strip and readelf: the installer that goes on media
ncompress           build  compress and uncompress: media and installer tests
tar                 build
coreutils           build  chroot, split, timeout
util-linux          build  unshare and setpriv: the copy-on-write host
mount               build  mount and umount: the copy-on-write host
findutils           build
diffutils           build
groff-base          test   the manual pages' render test
clang               fuzz
libclang-rt-14-dev  fuzz   libFuzzer and the sanitizers' run time for clang
LIST
}

missing_packages() {  # USE...
  local name use _ u wanted missing=()
  command -v dpkg-query >/dev/null 2>&1 || return 2
  while read -r name use _; do
    wanted=no
    for u in "$@"; do [ "$u" = "$use" ] && wanted=yes; done
    [ $wanted = yes ] || continue
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$name" 2>/dev/null)" = installed ] ||
      missing+=("$name")
  done < <(setup_package_list)
  echo "${missing[*]}"
}

# Root installs what is missing (apt-get update first); anyone else is told
# in one line what is missing and how to install it, and the caller stops.
ensure_packages() {  # WHO USE...
  local who=$1 need
  shift
  if ! need=$(missing_packages "$@"); then
    echo "$who: no dpkg-query here: cannot check for the packages of tools/packages.sh; going on" >&2
    return 0
  fi
  [ -n "$need" ] || return 0
  if [ "$(id -u)" != 0 ]; then
    echo "$who: missing packages: $need; install them as root with: apt-get update && apt-get install --no-install-recommends $need" >&2
    return 1
  fi
  echo "== $who: installing $need"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update && apt-get install -y --no-install-recommends $need </dev/null || {
    echo "$who: could not install $need" >&2
    return 1
  }
}
