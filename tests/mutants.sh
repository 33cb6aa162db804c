#!/usr/bin/env bash
# tests/mutants.sh — how many small, realistic faults the tests catch.
#
# It copies the sources into a scratch directory, builds them there once
# (Release, warnings are errors: test.sh's normal build) and then, for each
# fault of the list below, one at a time: replaces one piece of text in one
# file (it must occur exactly once), rebuilds incrementally, runs the unit
# tests and, only when none of them failed, the whole-program tests (the
# slowest, 40 % of their time, only when the others caught nothing), and
# puts the file back. A fault is caught when a test that passed on the unchanged
# sources fails; a fault whose text is not found, or whose build fails, is
# NOT APPLIED and counts nowhere. The developer's tree is only read.
#
# Whole-program tests are the programs of tests/*_test.cc (they run the
# installer as root on the copy-on-write host); every other ctest test is a
# unit test here, the shell tests of tools/ and setup/dist_test.sh among
# them. "units" says whether the unit tests alone caught a fault: what a
# run without the whole-program tests would catch.
#
#   tests/mutants.sh [options]
#     --head DIR   the committed HEAD of the git checkout DIR (default: the
#                  checkout holding this script); what others are editing
#                  and have not committed is left out
#     --rev REV    that commit of the checkout instead of its HEAD (a
#                  figure to compare with, taken before a change)
#     --tree DIR   DIR's working tree as it stands: tracked and untracked
#                  files that git does not ignore (no build directories)
#     --only IDS   only these faults (comma-separated ids)
#     --full       run the whole-program tests even when a unit test caught
#                  the fault (slower; gives every catching test)
#     --check      only check that each fault applies (no build, no tests)
#     --list       print the faults and stop
#     --keep       keep the scratch directory (its logs/ hold each fault's
#                  build log and JUnit results)
#   MUTANTS_DIR    scratch directory (default: a new one under /tmp,
#                  removed at the end unless --keep); its src/ and build/
#                  are made afresh
#   MUTANTS_JOBS   build and ctest jobs (default 2)
#   MUTANTS_TIMEOUT  per-test seconds (default: 3 x the slowest test of the
#                  unchanged build, at least 30)
#
# Output: one line per fault (id, caught / survived / NOT APPLIED, caught by
# unit tests yes/no, description, first catching tests), then the totals.
# Exit 0 when it ran, whatever survived; 2 on a usage or setup error.
#
# Time here (2 cores shared with other builds, as root, 33 faults): 8m09s
# at load 4 where unit tests catch nearly all; 21m23s at load 7 on a commit
# where 12 faults needed the whole-program tests (the first build 2-7 min
# of it). A fault that the unit tests catch costs 5-20 s, one that only the
# whole-program tests catch about 50 s, a survivor 50-95 s.
set -uo pipefail
export LC_ALL=C

die() { echo "mutants.sh: $*" >&2; exit 2; }
usage() { sed -n '/^#   tests\/mutants.sh/,/^# Exit/p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }

repo=$(cd "$(dirname "$0")/.." && pwd)
from=head from_dir=$repo rev=HEAD only='' full=no check=no list=no keep=no
jobs=${MUTANTS_JOBS:-2}
timeout=${MUTANTS_TIMEOUT:-}
while [ $# -gt 0 ]; do
  case $1 in
    --head | --tree) [ $# -ge 2 ] || usage; from=${1#--} from_dir=$2; shift 2 ;;
    --rev) [ $# -ge 2 ] || usage; rev=$2; shift 2 ;;
    --only) [ $# -ge 2 ] || usage; only=",$2,"; shift 2 ;;
    --full) full=yes; shift ;;
    --check) check=yes; shift ;;
    --list) list=yes; shift ;;
    --keep) keep=yes; shift ;;
    -h | --help) usage ;;
    *) echo "mutants.sh: unknown argument $1" >&2; usage ;;
  esac
done
case $jobs in '' | *[!0-9]* | 0) die "MUTANTS_JOBS must be a positive number" ;; esac
case $timeout in '') ;; *[!0-9]* | 0*) die "MUTANTS_TIMEOUT must be a number of seconds" ;; esac

# ---- The faults: id, file, text as it stands, text planted, what a user
# would see. Each text must occur exactly once in its file; $'...' holds
# line ends. MemMgr/MemMgr.cc is being rewritten: its fault may need
# re-expressing (its zero fill already changed shape).
ids=() files=() olds=() news=() whys=()
fault() {
  [ $# = 5 ] || die "fault ${1:-?}: wants 5 fields, has $#"
  [ -n "$3" ] || die "fault $1: empty text to replace"
  local i
  for i in "${ids[@]}"; do [ "$i" != "$1" ] || die "fault $1 listed twice"; done
  ids+=("$1") files+=("$2") olds+=("$3") news+=("$4") whys+=("$5")
}

# setup/: generated scripts, directory-name limit, package list, diskettes,
# earlier product's paths.
fault setup-wrapper-args setup/Scripts.cc \
  'cd %s\n%s/%s $*\n"' 'cd %s\n%s/%s\n"' \
  "the driver's command wrappers drop their arguments"
fault setup-iface-shift setup/Scripts.cc \
  '"\nshift 5\n\ncd %s\n[ -f' '"\nshift 4\n\ncd %s\n[ -f' \
  "the printer interface passes the lp service's options on as files"
fault setup-rc-background setup/Scripts.cc \
  '%s/TavrinD &\n' '%s/TavrinD\n' \
  "the start script runs the print daemon in the foreground (boot hangs)"
fault setup-dirname-limit setup/DirDialog.cc \
  'std::strlen(LineBuf) >= sizeof Name' 'std::strlen(LineBuf) > sizeof Name' \
  "a directory name one longer than the buffer is taken (overflow)"
fault setup-pkg-group-dash setup/PkgList.cc \
  'if (key != 1 && key != 3 && key != 4) continue;' 'if (key != 1 && key != 3) continue;' \
  "a package-list group that begins with '-' reaches chgrp as an option"
fault setup-pkg-not-file setup/PkgList.cc \
  '(lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))' '(lstat(file.c_str(), &st) != 0)' \
  "a package-list entry that is a link or directory is installed"
fault setup-disks-control setup/DisksList.cc \
  "*p == '/' || static_cast<unsigned char>(*p) < 0x20 || *p == 0x7f" "*p == '/' || *p == 0x7f" \
  "file names with line ends or control bytes pass as plain names"
fault setup-floppy-clear setup/InstallDisks.cc \
  $'    SysCmd(CMD_RM, SC_QUIET, FLOPPY_DIR "/*");\n' '' \
  "diskettes are not cleared before the files are copied on"
fault setup-earlier-toplevel setup/EarlierProduct.cc \
  "if (dir.empty() || dir.find('/', 1) == std::string::npos) return true;" \
  'if (dir.empty()) return true;' \
  "an earlier product's home directly under / (/home) is removed"
fault setup-earlier-realpath setup/EarlierProduct.cc \
  '!IsSystemDir(real);' '!IsSystemDir(clean);' \
  "an earlier home that links to a system directory is removed"
fault setup-printerror-mode setup/Install.cc \
  '".PrintError", "666"' '".PrintError", "664"' \
  "the driver's error file is not writable by the print users"

# SysCmd/: the command runner and its command lines.
fault syscmd-echo-flush SysCmd/Runner.cc \
  $'  std::fflush(stdout);\n  std::fflush(stderr);\n  errno = 0;' \
  $'  std::fflush(stderr);\n  errno = 0;' \
  "without a log, into a pipe: a command's output comes before its echoed line"
fault syscmd-value-quote SysCmd/CmdFormat.cc \
  "out += ShellQuote(FormatOne(head + 's', s ? s : \"(null)\"));" \
  "out += FormatOne(head + 's', s ? s : \"(null)\");" \
  "values in command lines are not shell-quoted"
fault syscmd-cp-keeps-modes SysCmd/ComList.cc \
  '{"cp", "-p", nullptr, 1},' '{"cp", "", nullptr, 1},' \
  "copies lose their modes and times"
fault syscmd-fatal-status SysCmd/Runner.cc \
  'if (mode == SC_FATAL) FatalEnd(1, words);' 'if (mode == SC_FATAL) FatalEnd(0, words);' \
  "a failed fatal command ends the run with status 0"
fault syscmd-rm-root-alias SysCmd/FileCmds.cc \
  'return SpellsRoot(path) || (lstat' 'return SpellsRoot(path) && (lstat' \
  "removal of / through a link or a '..' behind a link is not refused"
fault syscmd-df-kilobytes SysCmd/Capture.cc \
  ': k * 1024;' ': k * 1000;' \
  "free space read from df is 2% short"

# utils/
fault utils-quote-glob utils/ShellQuote.cc \
  "case '@': case '%':" "case '@': case '%': case '*':" \
  "a value holding '*' is left unquoted (the shell expands it)"
fault utils-safepath-group utils/SafePath.cc \
  'return (dir.st_mode & S_IWOTH) || ((dir.st_mode & S_IWGRP) && dir.st_gid != 0);' \
  'return (dir.st_mode & S_IWOTH) != 0;' \
  "a directory that a non-root group can write passes the path-safety test"
fault utils-safepath-link-owner utils/SafePath.cc \
  $'      if (!Trusted(st.st_uid, trusted)) return Refuse(bad, why, next, OwnedBy("a link", st.st_uid));\n' '' \
  "a link owned by another user passes the path-safety test"
fault utils-token-limit utils/Tokenizer.cc \
  'if (len < kTokenMax)' 'if (len <= kTokenMax)' \
  "a token of 128 characters is not reported cut (and overruns)"
fault utils-warning-text utils/Messages.cc \
  '"WARNING: %s\n", Line' '"Warning: %s\n", Line' \
  "warnings are worded differently"
fault utils-dir-of-root-file utils/Strings.cc \
  $'  if (slash == path) return CopyCut(buf, "/", 1);\n' '' \
  "the directory of /name comes out empty"

# textmenu/
fault menu-title-centre textmenu/MenuDisplay.cc \
  'PrintBlanks((kScreenWidth - titleLen) / 2);' 'PrintBlanks((kScreenWidth - titleLen) / 2 - 1);' \
  "centred menu titles move one column left"
fault menu-help-prompt textmenu/MenuDisplay.cc \
  '" or h for help"' '" or h for Help"' \
  "one byte of the menu prompt changes"
fault menu-last-number textmenu/MenuLoop.cc \
  'if (n < 1 || n > count) return 0;' 'if (n < 1 || n >= count) return 0;' \
  "the last numbered item cannot be chosen by its number"
fault menu-length-rule textmenu/EntryValidation.cc \
  $'d = AfterBounds(d);\n          if (max != 0 && (entryLen < min || entryLen > max)) {' \
  $'d = AfterBounds(d);\n          if (max != 0 && (entryLen < min || entryLen >= max)) {' \
  "an entry of exactly the longest allowed length is refused"

# HelpTty/
fault help-back-first HelpTty/HelpNav.cc \
  'if (HistoryI > 0) {' 'if (HistoryI > 1) {' \
  "Back from the first linked help screen stays there"
fault help-link-target HelpTty/HelpNav.cc \
  'static_cast<uint16_t>(JmpAdr[link] - 1)' 'static_cast<uint16_t>(JmpAdr[link])' \
  "a help link opens the screen after its target"

# MemMgr/ (at most two: the pool is being rewritten)
fault mem-big-threshold MemMgr/MemMgr.cc \
  'if (need >= kChunk) return NewBig(need);' 'if (need > kChunk) return NewBig(need);' \
  "a request of exactly one chunk is carved from the pool's chunks"
fault mem-sorted-duplicate MemMgr/LinkList.cc \
  'if (link->Key > list->pLast->Key) {' 'if (link->Key >= list->pLast->Key) {' \
  "a sorted list takes a second link with its last key"

# CowView/ and tools/hlpc
fault cow-mode-bits CowView/ChangeList.cc \
  'st.st_mode & 07777' 'st.st_mode & 0777' \
  "the change list misses set-user-id and sticky bits"
fault hlpc-carriage-return tools/hlpc/HelpSource.cc \
  "return (u < 0x20 && c != '\\t') || u == 0x7f;" \
  "return (u < 0x20 && c != '\\t' && c != '\\r') || u == 0x7f;" \
  "a help source with DOS line ends compiles, carriage returns and all"

selected() { [ -z "$only" ] || [[ $only == *",$1,"* ]]; }
if [ -n "$only" ]; then
  for id in ${only//,/ }; do
    found=no
    for i in "${ids[@]}"; do [ "$i" = "$id" ] && found=yes; done
    [ $found = yes ] || die "no fault $id (--list shows them)"
  done
fi

if [ $list = yes ]; then
  for k in "${!ids[@]}"; do
    selected "${ids[k]}" && printf '%-26s %-28s %s\n' "${ids[k]}" "${files[k]}" "${whys[k]}"
  done
  exit 0
fi

# ---- The scratch copy
# Never inside the tree it copies: its src/, build/ and logs/ are removed.
inside() {
  local d
  for d in "$repo" "$from_dir"; do
    case $(realpath -m "$1")/ in "$(realpath -m "$d")"/*) die "the scratch directory $1 is inside $d" ;; esac
  done
}
if [ -n "${MUTANTS_DIR:-}" ]; then
  # Only a new directory or an earlier run's is taken.
  work=$MUTANTS_DIR
  inside "$work"
  mkdir -p "$work" || die "can't make $work"
  [ -z "$(ls -A "$work")" ] || [ -f "$work/.mutants" ] ||
    die "MUTANTS_DIR $work is neither empty nor an earlier run's scratch directory"
  keep=yes
else
  inside "${TMPDIR:-/tmp}/mutants"
  work=$(mktemp -d "${TMPDIR:-/tmp}/mutants.XXXXXX") || die "can't make a scratch directory"
  # cowhost_test runs cowhost as another user, who must reach it.
  chmod 755 "$work"
fi
work=$(cd "$work" && pwd)
src=$work/src build=$work/build logs=$work/logs
inside "$work"
touch "$work/.mutants"

cur=-1 cur_text=''  # the fault planted now, and its file's own text
restore() {
  [ "$cur" -ge 0 ] || return 0
  printf '%s' "$cur_text" >"$src/${files[cur]}" && touch "$src/${files[cur]}"
  cur=-1
}
finish() {
  restore
  if [ $keep = no ]; then rm -rf "$work"; fi
}
trap finish EXIT
trap 'exit 2' INT TERM HUP

rm -rf "$src" "$build" "$logs"
mkdir -p "$src" "$logs"
git -C "$from_dir" rev-parse --git-dir >/dev/null 2>&1 || die "$from_dir is not a git checkout"
if [ "$from" = head ]; then
  commit=$(git -C "$from_dir" rev-parse --verify -q "$rev^{commit}") || die "no commit $rev in $from_dir"
  what="$rev ($(git -C "$from_dir" rev-parse --short "$commit")) of $from_dir"
  git -C "$from_dir" archive "$commit" | tar -x -C "$src" || die "can't copy $rev of $from_dir"
else
  [ "$rev" = HEAD ] || die "--rev goes with --head, not --tree"
  what="working tree of $from_dir"
  (cd "$from_dir" && git ls-files -z -co --exclude-standard |
    while IFS= read -r -d '' f; do [ -e "$f" ] || [ -L "$f" ] && printf '%s\0' "$f"; done |
    tar --null -T - -cf -) | tar -x -C "$src" || die "can't copy the working tree of $from_dir"
fi

# read_file PATH: its text into $text, trailing line ends kept.
read_file() { text=$(cat -- "$1" && printf x) || return 1; text=${text%x}; }
# occurrences TEXT PIECE: how often PIECE stands in TEXT.
occurrences() {
  local rest=$1 n=0
  while [[ $rest == *"$2"* ]]; do rest=${rest#*"$2"}; n=$((n + 1)); done
  echo $n
}
# plant K: plants fault K; on failure says why in $why_not.
plant() {
  local k=$1 f=$src/${files[$1]} n
  why_not=''
  if [ ! -f "$f" ]; then why_not="no file ${files[k]}"; return 1; fi
  read_file "$f" || { why_not="can't read ${files[k]}"; return 1; }
  n=$(occurrences "$text" "${olds[k]}")
  if [ "$n" != 1 ]; then why_not="its text stands $n times in ${files[k]}"; return 1; fi
  cur=$k cur_text=$text
  printf '%s' "${text%%"${olds[k]}"*}${news[k]}${text#*"${olds[k]}"}" >"$f"
}

if [ $check = yes ]; then
  bad=0
  for k in "${!ids[@]}"; do
    selected "${ids[k]}" || continue
    if plant "$k"; then
      restore
      printf '%-26s applies\n' "${ids[k]}"
    else
      printf '%-26s NOT APPLIED: %s\n' "${ids[k]}" "$why_not"
      bad=$((bad + 1))
    fi
  done
  echo "mutants: $bad fault(s) do not apply to the $what"
  exit 0
fi

# ---- Build once, list the tests, run them all on the unchanged sources
t_all=$SECONDS
elapsed() { local s=$((SECONDS - $1)); printf '%dm%02ds' $((s / 60)) $((s % 60)); }
echo "mutants: ${#ids[@]} faults; sources: $what; scratch: $work"
echo "mutants: building (Release, -DSETUP_WERROR=ON, -j$jobs)"
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSETUP_WERROR=ON >"$logs/configure.log" 2>&1 ||
  { tail -n 20 "$logs/configure.log"; die "cmake failed (see $logs/configure.log)"; }
cmake --build "$build" -j "$jobs" >"$logs/build.log" 2>&1 ||
  { tail -n 30 "$logs/build.log"; die "the unchanged sources do not build (see $logs/build.log)"; }
echo "mutants: built in $(elapsed "$t_all")"

# Whole-program tests: every test of the programs built from tests/*_test.cc.
wp_names=$(for exe in "$build"/tests/*_test; do
  [ -x "$exe" ] && "$exe" --gtest_list_tests | awk '/^[^ ]/ { s = $1 } /^  / { print s $1 }'
done)
[ -n "$wp_names" ] || die "no whole-program tests found in $build/tests"
# to_re: names, one a line, as a ctest regular expression matching them alone.
to_re() { sed 's/[.]/\\./g' | paste -sd'|' | sed 's/.*/^(&)$/'; }
wp_re=$(printf '%s\n' "$wp_names" | to_re)

# run_tests XML CTEST-SELECTION...: runs ctest, JUnit results into XML.
run_tests() {
  local xml=$1
  shift
  rm -f "$xml"
  ctest --test-dir "$build" -j "$jobs" --no-tests=error --output-junit "$xml" \
    ${timeout:+--timeout "$timeout"} "$@" >"${xml%.xml}.log" 2>&1
  [ -s "$xml" ]
}
# junit_tests XML STATUS: names of the tests with that status (run, fail,
# notrun, disabled); junit_count XML: how many tests it holds.
junit_tests() {
  awk -v want="$2" '/<testcase / {
      n = $0; sub(/.*<testcase name="/, "", n); sub(/".*/, "", n)
      s = $0; sub(/.*status="/, "", s); sub(/".*/, "", s)
      if (s == want) print n }' "$1"
}
junit_count() { grep -c '<testcase ' "$1"; }

echo "mutants: running every test on the unchanged sources"
run_tests "$logs/base-units.xml" -E "$wp_re" || die "ctest gave no results (see $logs/base-units.log)"
run_tests "$logs/base-wp.xml" -R "$wp_re" || die "ctest gave no results (see $logs/base-wp.log)"
n_units=$(junit_count "$logs/base-units.xml") n_wp=$(junit_count "$logs/base-wp.xml")
# The whole-program tests in two rounds: the slowest ones, which take 40 %
# of their time, run only when the others caught nothing.
wp_times=$(awk '/<testcase / { n = $0; sub(/.*<testcase name="/, "", n); sub(/".*/, "", n)
    t = $0; sub(/.*time="/, "", t); sub(/".*/, "", t); print t + 0, n }' "$logs/base-wp.xml" | sort -rn)
slow_names=$(printf '%s\n' "$wp_times" | awk '{ t[NR] = $1; n[NR] = $2; all += $1 }
    END { for (i = 1; i <= NR && sum < 0.4 * all; i++) { sum += t[i]; print n[i] } }')
quick_names=$(printf '%s\n' "$wp_times" | awk -v slow="$slow_names" 'BEGIN { split(slow, s, "\n")
    for (i in s) skip[s[i]] = 1 } !($2 in skip) { print $2 }')
slow_re=$(printf '%s\n' "$slow_names" | to_re) quick_re=$(printf '%s\n' "$quick_names" | to_re)
n_slow=$(printf '%s\n' "$slow_names" | grep -c .) n_quick=$(printf '%s\n' "$quick_names" | grep -c .)
base_fail=$(cat <(junit_tests "$logs/base-units.xml" fail) <(junit_tests "$logs/base-wp.xml" fail))
wp_skipped=$(junit_tests "$logs/base-wp.xml" notrun | wc -l)
if [ -z "$timeout" ]; then
  slowest=$(cat "$logs"/base-*.xml | awk '/<testcase / { t = $0; sub(/.*time="/, "", t); sub(/".*/, "", t)
      if (t + 0 > m) m = t + 0 } END { printf "%d", m + 1 }')
  timeout=$((slowest * 3 < 30 ? 30 : slowest * 3))
fi
echo "mutants: $n_units unit tests, $n_wp whole-program tests (run last:" $slow_names"); per-test" \
  "timeout ${timeout}s; $(elapsed "$t_all") so far"
if [ -n "$base_fail" ]; then
  echo "mutants: WARNING: these fail on the unchanged sources and are not counted:" $base_fail >&2
fi
if [ "$wp_skipped" -gt 0 ]; then
  echo "mutants: WARNING: $wp_skipped whole-program tests skip here (they need root and the" \
    "copy-on-write host): the suite's figure counts without them" >&2
fi

# What the unchanged build and its tests leave. A fault's tests may leave
# more (a file that an unquoted value made), which would fail later faults'
# tests: it is removed after each fault.
snapshot() { find "$build" "$src" \( -path "$build/Testing" -o -name CMakeFiles \) -prune -o -print | sort; }
snapshot >"$logs/files"

# caught_by XML EXPECTED: failed tests that passed unchanged, one a line,
# and a note when tests went missing (a program that no longer lists them).
caught_by() {
  if [ -n "$base_fail" ]; then
    junit_tests "$1" fail | grep -vxF -f <(printf '%s\n' "$base_fail")
  else
    junit_tests "$1" fail
  fi
  local n
  n=$(junit_count "$1")
  [ "$n" -ge "$2" ] || echo "($(($2 - n)) tests missing)"
}
first_names() {  # up to 3 names, then how many more
  awk 'NR <= 3 { printf "%s%s", (NR > 1 ? ", " : ""), $0 } END { if (NR > 3) printf " (+%d)", NR - 3 }'
}

# ---- The faults, one at a time
n_run=0 n_applied=0 n_caught=0 n_units_caught=0
survivors=() not_applied=()
echo
printf '%-26s %-11s %-6s %s\n' "fault" "result" "units" "what / caught by"
for k in "${!ids[@]}"; do
  selected "${ids[k]}" || continue
  n_run=$((n_run + 1))
  id=${ids[k]} t0=$SECONDS
  if ! plant "$k"; then
    printf '%-26s %-11s %-6s %s -- %s\n' "$id" "NOT APPLIED" "-" "${whys[k]}" "$why_not"
    not_applied+=("$id")
    continue
  fi
  if ! cmake --build "$build" -j "$jobs" >"$logs/$id.build.log" 2>&1; then
    restore
    printf '%-26s %-11s %-6s %s -- %s\n' "$id" "NOT APPLIED" "-" "${whys[k]}" \
      "the build failed (logs/$id.build.log)"
    not_applied+=("$id")
    continue
  fi
  n_applied=$((n_applied + 1))
  by=''
  if run_tests "$logs/$id.units.xml" -E "$wp_re"; then
    by=$(caught_by "$logs/$id.units.xml" "$n_units")
  else
    by="(ctest gave no unit results)"
  fi
  units=no
  [ -z "$by" ] || units=yes
  for round in quick slow; do
    [ -z "$by" ] || [ $full = yes ] || break
    if [ $round = quick ]; then re=$quick_re n=$n_quick; else re=$slow_re n=$n_slow; fi
    [ "$n" -gt 0 ] || continue
    if run_tests "$logs/$id.wp-$round.xml" -R "$re"; then
      wp_by=$(caught_by "$logs/$id.wp-$round.xml" "$n")
    else
      wp_by="(ctest gave no whole-program results)"
    fi
    by=$(printf '%s\n%s' "$by" "$wp_by" | sed '/^$/d')
  done
  restore
  left=$(comm -13 "$logs/files" <(snapshot))
  note=''
  if [ -n "$left" ]; then
    printf '%s\n' "$left" >"$logs/$id.left"
    printf '%s\n' "$left" | while IFS= read -r p; do rm -rf -- "$p"; done
    note=" {left $(printf '%s\n' "$left" | wc -l) file(s), removed: logs/$id.left}"
  fi
  if [ -n "$by" ]; then
    result=caught
    n_caught=$((n_caught + 1))
    [ $units = no ] || n_units_caught=$((n_units_caught + 1))
    names=$(printf '%s\n' "$by" | first_names)
  else
    result=survived
    survivors+=("$id")
    names='-'
  fi
  printf '%-26s %-11s %-6s %s [by: %s] (%ss)%s\n' "$id" "$result" "$units" "${whys[k]}" "$names" \
    $((SECONDS - t0)) "$note"
done

# ---- Totals
rate() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.1f %%", 100 * a / b; else printf "-" }'; }
echo
echo "mutants: sources: $what"
echo "mutants: faults: $n_run, applied: $n_applied, not applied: ${#not_applied[@]}"
echo "mutants: caught by the suite: $n_caught/$n_applied = $(rate "$n_caught" "$n_applied")"
echo "mutants: caught by unit tests alone: $n_units_caught/$n_applied = $(rate "$n_units_caught" "$n_applied")"
echo "mutants: survived: ${survivors[*]:-none}"
if [ ${#not_applied[@]} -gt 0 ]; then
  echo "mutants: NOT APPLIED (re-express them; they count nowhere): ${not_applied[*]}"
fi
[ -z "$base_fail" ] || echo "mutants: failing before any fault, not counted:" $base_fail
[ "$wp_skipped" = 0 ] || echo "mutants: whole-program tests skipped here: $wp_skipped"
echo "mutants: time: $(elapsed "$t_all") (jobs $jobs, per-test timeout ${timeout}s)"
[ $keep = no ] || echo "mutants: logs in $logs"
exit 0
