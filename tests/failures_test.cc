// Runs that cannot go on: each ends with a non-zero status, says why on
// the terminal, and takes its copies out of the work area (the log stays).
#include <sstream>
#include <string>

#include "tests/support/Scenario.h"

namespace {

const char kInstall[] = "1\n\ny\n";
// Made before the package list is read, and left when the run stops there.
const std::string kDirs =
    "+ d 0755 root root /opt/Zanto\n+ d 0775 root root /opt/Zanto/7315\n"
    "+ f 0666 root root /opt/Zanto/7315/.PrintError\n+ d 0775 root root /var/spool/Zanto\n"
    "+ d 0775 root root /var/spool/Zanto/7315\n";
const char kOnlyTheLog[] = "ls -A /tmp";

// The list without the lines of paths under prefix.
std::string Without(const std::string& list, const std::string& prefix) {
  std::string s;
  std::istringstream in(list);
  for (std::string l; std::getline(in, l);)
    if (l.find(" " + prefix) == std::string::npos) s += l + "\n";
  return s;
}

TEST(Failures, EveryStopIsReportedAndTidied) {
  SKIP_UNLESS_HOST();
  const Scenario cases[] = {
      {"a package without its list", "", "/h/site/setup", kInstall, 1,
       "ERROR: can't open file, /tmp/ZantoInstall/pkg/pkg.list\n", kDirs, kOnlyTheLog,
       "setup.log\n", "", "rm tree/pkg/pkg.list"},
      {"a command the host lacks", "rm /usr/bin/chgrp", "/h/site/setup", kInstall, 1,
       "ERROR: unable to locate system command 'chgrp'\n",
       "+ d 0755 root root /opt/Zanto\n+ d 0775 root root /opt/Zanto/7315\n"
       "+ f 0666 root root /opt/Zanto/7315/.PrintError\n"
       "+ f 0755 root root /opt/Zanto/7315/setup7315\n+ f 0755 lp root /opt/Zanto/7315/zanto7315\n"
       "+ d 0775 root root /var/spool/Zanto\n+ d 0775 root root /var/spool/Zanto/7315\n",
       kOnlyTheLog, "setup.log\n"},
      {"a piece missing from the site", "rm /h/site/pkg_tar.z2", "/h/site/setup", "e\n", 1,
       "\nERROR: /usr/bin/cp -p /h/site/pkg_tar.z2 /tmp/ZantoInstall failed (exit status 1); see "
       "/tmp/setup.log\n/usr/bin/cp: cannot stat '/h/site/pkg_tar.z2': No such file or directory\n",
       "", kOnlyTheLog, "setup.log\n"},
      {"a work area that fills up while the archive is unpacked", "",
       "mkdir /small && mount -t tmpfs -o size=3m small /small && /h/site/setup /small; st=$?; "
       "ls -A /small >&2; exit $st",
       kInstall, 1,
       "\nERROR: /usr/bin/tar xvfp /small/ZantoInstall/SolarisTavrin7315.tar failed \\(exit "
       "status 2\\); see /tmp/setup.log\n(.*\n){0,3}"
       "/usr/bin/tar: pkg/big: (Wrote only [0-9]+ of [0-9]+ bytes|.*No space left on device)\n"
       "/usr/bin/tar: Exiting with failure status due to previous errors\n",
       "+ d 0755 root root /small\n", "", "", "", "head -c 2500000 /dev/zero > tree/pkg/big", false,
       true},
      {"the package's set-up program failing: counted, not silent", "", "/h/site/setup", kInstall,
       0, "\nWARNING: 1 command failed; see /tmp/setup.log",
       Installed("/opt/Zanto/7315", "/opt/Zanto"), kOnlyTheLog, "setup.log\n", "",
       "echo 'exit 3' >> tree/pkg/setup7315"},
      {"a NUL typed into an answer takes nothing from the next one", "", "/h/site/setup",
       std::string("\0\ne\n", 4), 0, "", "", kOnlyTheLog, "setup.log\n"},
      {"the end of input at the directory prompt", "", "/h/site/setup", "1\n", 1,
       "\nsetup: reading from standard input: end of input\n", "", kOnlyTheLog, "setup.log\n"},
      {"Ctrl-C while the package's set-up program runs", "", "/h/site/setup", kInstall, 130,
       "\nsetup: interrupted\n",  // all but the run-level scripts, written after it
       Without(Installed("/opt/Zanto/7315", "/opt/Zanto"), "/etc/rc2.d/"), kOnlyTheLog,
       "setup.log\n", "", "echo 'kill -INT $$' >> tree/pkg/setup7315"},
      {"Ctrl-C at the main menu", "",
       "mkfifo /h/in; /h/site/setup </h/in >/h/out & pid=$!; exec 3>/h/in; "
       "until grep -qs 'Enter option' /h/out; do :; done; kill -INT $pid; wait $pid",
       "", 130, "\nsetup: interrupted\n", "", kOnlyTheLog, "setup.log\n"},
  };
  for (const Scenario& c : cases) {
    SCOPED_TRACE(c.name);
    RunScenario(c);
  }
}

}  // namespace
