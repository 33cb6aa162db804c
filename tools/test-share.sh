#!/bin/sh
# How much of the code is tests: non-blank, non-comment lines of test
# files (tests, test scripts, the helpers only tests use) against all other
# source and scripts, the fuzz targets and benchmarks among them (also
# shown counted as tests). The mutation script is left out of both.
#   tools/test-share.sh
cd "$(dirname "$0")/.." || exit 2
# Headers and sources that only tests include.
helpers='utils/TestDir.h SysCmd/SysCmdFixture.h textmenu/MenuHarness.h HelpTty/HelpTesting.h'
files() {
  git ls-files -co --exclude-standard | grep -v -e '^sample/' -e '^tests/mutants.sh$' -e '^build' |
    while IFS= read -r f; do
      case "$f" in
        *.cc | *.h | *.sh | *.py) echo "$f" ;;
        *.*) ;;
        *) [ -f "$f" ] && head -c 2 "$f" | grep -q '#!' && echo "$f" ;;
      esac
    done
}
lines() { tr '\n' '\0' | xargs -0 -r cat | grep -cvE '^\s*((//|#).*)?$'; }
all=$(files)
# Test files: by name, and the helpers.
test_files() {
  echo "$all" | grep -E '(^|/)(tests?|testdata)/|_test\.|test_'
  for h in $helpers; do echo "$h"; done
}
tests=$(test_files | lines)
other=$(echo "$all" | grep -vxF "$(test_files)" | lines)
fuzz=$(echo "$all" | grep '^fuzz/' | lines)
echo "tests: $tests lines; other code: $other lines, of which fuzz targets: $fuzz"
awk -v t="$tests" -v o="$other" -v f="$fuzz" 'BEGIN {
  printf "tests are %.1f%% of all code (%.1f%% with the fuzz targets counted as tests)\n",
    100 * t / (t + o), 100 * (t + f) / (t + o) }'
