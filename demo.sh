#!/usr/bin/env bash
# demo.sh — build everything, make an installation site from the sample
# package, and run the installer from that site on a throw-away copy of
# this machine, at your terminal. When the installer ends, the list of
# every change it made is printed; the machine itself is left untouched.
# Each run keeps its results (the list of changes, the changed layer with
# the installer's log, the written diskettes) in a directory of its own,
# BUILD/demo/run-DATE-TIME, which it names.
#
#   ./demo.sh            build into build/ and run the demo
#   ./demo.sh --preview  the same, with the installer's own preview: it
#                        lists what it changed in its view and says that
#                        nothing was changed (here: in the copy either)
#   DEMO_BUILD_DIR=dir ./demo.sh   build into dir instead
#
# Needs root (the copy of the machine is an overlay in a private mount
# namespace). Packages that are missing are installed with apt-get
# (tools/packages.sh).
set -euo pipefail
cd "$(dirname "$0")"
repo=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)
setup_args=''
case ${1:-} in
  --preview) setup_args=--preview ;;
  '') ;;
  *) echo "usage: ./demo.sh [--preview]" >&2; exit 2 ;;
esac

if [ "$(id -u)" != 0 ]; then
  echo "demo.sh: run me as root: the installer runs on a copy of this machine" >&2
  echo "that only root can set up (the machine itself is not changed)." >&2
  exit 1
fi

. tools/packages.sh
ensure_packages demo.sh build

build=${DEMO_BUILD_DIR:-build}
echo "== building into $build/ (a few minutes; the output goes to $build/demo-build.log)"
mkdir -p "$build"
if ! { cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
       cmake --build "$build" -j "$jobs" --target setup_bin setup_hlp cowlist; } >"$build/demo-build.log" 2>&1; then
  tail -n 40 "$build/demo-build.log" >&2
  echo "demo.sh: the build failed; the whole output is in $build/demo-build.log" >&2
  exit 1
fi

# This run's results, beside those of earlier runs.
build=$(cd "$build" && pwd)
mkdir -p "$build/demo"
work=$(mktemp -d "$build/demo/run-$(date +%Y%m%d-%H%M%S)-XXX")
echo "== this run's results go to ${work#"$repo"/}/"

# The medium: an installation site made from the sample package, as the
# installer's own "Create an installation site." would leave it, with the
# installer as it goes on media (stripped).
help_args=()
[ -f "$build/bin/setup.hlp" ] && help_args=(--help-file "$build/bin/setup.hlp")
tools/mkmedia/mkmedia --site --setup "$build/dist/setup" "${help_args[@]}" sample "$work/site" >/dev/null
# Not where "Create an installation site." would put a new one by default.
site=/cdrom/SolarisTavrin7315
preview=$work/changes

# Inside the copy the site sits where the installer would have made it,
# and a simulated diskette drive with three blank diskettes stands ready
# for "Create installation diskettes.".
inside_path=/opt/cowdemo/floppy:/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
cat <<EOF
== starting the installer from the installation site $site
   (on a copy of this machine: answer its questions as an administrator would;
   choose 1 to install the driver, e or "Exit" to leave; after an
   installation the installer ends by itself)

EOF
# The installer clears the screen; let the hint above be read first.
if [ -t 0 ]; then
  printf 'Press Return to start. '
  read -r _
fi
set +e
PATH=$inside_path:$PATH FLOPPY_STATE=/var/tmp/cowdemo-floppy COWHOST_LIST=$build/bin/cowlist \
  tools/cowhost/cowhost -p "$preview" -u "$work/upper" \
    -r "$work/site:$site" \
    -r "$repo/tools/floppy:/opt/cowdemo/floppy" \
    -x /var/tmp/cowdemo-floppy -x /floppy -C "$site" -- \
    /bin/sh -c 'floppyctl init "$FLOPPY_STATE" --empty --blank 3 >/dev/null && \
                floppyctl sync && PATH=$0 exec ./setup $1' "$inside_path" "$setup_args"
status=$?
set -e
if [ $status = 77 ]; then
  echo "demo.sh: this machine cannot make the throw-away copy (no mount namespace" >&2
  echo "or overlay support); the installer was not run." >&2
  exit 1
fi

echo
echo "== the installer ended with status $status; the changes it made to the copy"
echo "   (+ added, ~ changed, - removed; type, mode, owner, group, path):"
echo
cat "$preview"
echo
log=$work/upper/tmp/setup.log
[ -f "$log" ] && echo "== the installer's log of commands: ${log#"$repo"/}"
for disk in "$work"/upper/var/tmp/cowdemo-floppy/disk*; do
  [ -d "$disk" ] && [ -n "$(ls -A "$disk")" ] || continue
  echo "== written diskette ${disk##*/}: $(ls "$disk" | tr '\n' ' ')"
done
echo "== the machine itself is unchanged. This run's results are kept in ${work#"$repo"/}/:"
echo "   changes (the list above), upper/ (everything the run wrote), site/ (the medium)"
