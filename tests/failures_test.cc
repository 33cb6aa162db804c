// Runs that cannot go on, runs on a hostile host and a second run beside
// a first: each row plants, runs and compares what changed on the host.
#include <sstream>
#include <string>

#include "tests/support/SetupRun.h"

namespace {

using Failures = HostTest;
using Hostile = HostTest;
using Lock = HostTest;

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

TEST_F(Failures, EveryStopIsReportedAndTidied) {
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
      {"diskettes from a site without its list: the marker is written first",
       "printf 'setup.hlp pkg_tar.z1\\npkg_tar.z2\\n' > /h/site/disks && "
       "floppyctl init /h/floppy --blank 2 >/dev/null", "/h/site/setup manual", "3\n", 1,
       "ERROR: can't open file, ZantoInstall/disks\n", "+ d 0755 root root /tmp/ZantoInstall\n",
       "cat /tmp/ZantoInstall/installfrom", "diskette"},
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
  for (const Scenario& c : cases) RunScenario(c);
}

// The installer on a hostile host: an unprivileged user (uid 65534) plants
// links, files and directories before the run and races the run where
// others can write; the medium is built carelessly or to harm. Each row
// plants, runs and compares what changed on the host with what a safe run
// may change.
const char kInstallAtTmp[] = "1\n/tmp\n\ny\n";
const char kHelpCopy[] = "+ f 0644 root root /tmp/setup.hlp\n";
const std::string kKeepRm =
    "mkdir /h/keep && printf '#!/bin/sh\\n' > /h/keep/rm && chmod 755 /h/keep/rm && ";

TEST_F(Hostile, PlantedBeforeTheRun) {
  const std::string unsafe = "ERROR: unsafe path ";
  const std::string site = "/opt/" PKG "Install";
  const Scenario attacks[] = {
      {"started by its bare name from someone else's directory: the program's own directory "
       "is where PATH found it (no marker there: diskettes)",
       "mkdir /tmp/evil && chown 65534 /tmp/evil && cd /tmp/evil && " AS_NOBODY
       "sh -c 'printf \"installation site\" > installfrom && echo evil > disks && touch evil'",
       "cd /tmp/evil && setup", "e\n", 1, "ERROR: can't locate install diskette 0\n", ""},
      {"a directory of theirs on the driver directory's way leads to /etc/victim",
       AS_NOBODY "sh -c 'mkdir /tmp/Zanto && ln -s /etc/victim /tmp/Zanto/7315'", "/h/site/setup",
       kInstallAtTmp, 1, unsafe + "/tmp/Zanto/7315: /tmp/Zanto is a directory owned by uid 65534\n",
       ""},
      {"a base others can write to", "mkdir -p /srv/open && chmod 777 /srv/open", "/h/site/setup",
       "1\n/srv/open\n\ny\n", 1,
       unsafe + "/srv/open/Zanto/7315: /srv/open is a directory others can write to\n", ""},
      {"root's own link is an administrator's layout, followed",
       "mkdir -p /export/Zanto && ln -s /export/Zanto /opt/Zanto", "/h/site/setup", kInstall,
       0, "", Installed("/export/Zanto/7315")},
      {"a site directory of theirs",
       AS_NOBODY "sh -c 'mkdir /tmp/elsewhere && ln -s /tmp/elsewhere /tmp/" PKG "Install'",
       "/h/site/setup", "2\n/tmp\n\ny\n", 1,
       unsafe + "/tmp/" PKG "Install: /tmp/" PKG "Install is a link owned by uid 65534\n", "",
       "ls -A /tmp/elsewhere", ""},
      {"a work area of theirs", "mkdir /tmp/w && chown 65534 /tmp/w", "/h/site/setup /tmp/w", "e\n",
       1, unsafe + "/tmp/w: /tmp/w is a directory owned by uid 65534\n", "", "ls /tmp", "w\n"},
      {"a link of theirs at the help file's copy: replaced by root's own file",
       AS_NOBODY "ln -s /etc/victim /tmp/setup.hlp", "setup manual", "e\n", 0, "",
       "+ d 0755 root root /tmp/ZantoInstall\n+ f 0644 root root /tmp/setup.hlp\n",
       "stat -c '%F %U %a' /tmp/setup.hlp", "regular file root 644\n", "", "", true},
      // The diskette's copies: a list naming a path, a work directory of
      // someone else's (left in place by a stand-in rm, as by one that fails).
      {"a diskette list naming a path: nothing copied or removed",
       "mkdir /tmp/ZantoInstall && touch /tmp/ZantoInstall/old && "
       "printf 'disks setup.hlp\\npkg_tar.z1 ../x\\n' > /h/d1/disks",
       "setup", "e\n", 1,
       "ERROR: the list /floppy/floppy0/disks names \"../x\", which is not a plain file name\n", "",
       "ls /tmp/ZantoInstall", "old\n", "", "", true},
      {"a link of theirs for the diskette's work directory",
       kKeepRm + AS_NOBODY "ln -s /etc /tmp/ZantoInstall", "PATH=/h/keep:$PATH setup", "e\n", 1,
       unsafe + "/tmp/ZantoInstall: /tmp/ZantoInstall is a link owned by uid 65534\n", kHelpCopy,
       "", "", "", "", true},
      {"a set-uid setup of theirs in the work area is not shipped with a new site",
       AS_NOBODY "sh -c 'echo evil > /tmp/setup && chmod 4755 /tmp/setup'", "setup", "2\n\ny\n", 1,
       "ERROR: /tmp/setup was not made by this run; nothing copied\n", "", "ls " + site, "", "", "",
       true},
      {"an archive member that links to a system file", "", "/h/site/setup", kInstall, 1,
       "ERROR: the package holds /tmp/ZantoInstall/pkg/shadow, which is neither a file nor a "
       "directory\n",
       "", "", "", "README\nshadow mode 644\n", "ln -s /etc/victim tree/pkg/shadow"},
      {"an archive that opens the work directory to its user", "", "/h/site/setup", kInstall,
       1,
       "ERROR: /tmp/ZantoInstall is not a directory that only this user can write to; the "
       "archive changed it\n",
       "", "", "", "", "chmod 777 tree; owner='--owner=1000 --group=1000'; members=."},
      {"an archive of a user's files: installed as root's, then as the list says", "",
       "/h/site/setup", kInstall, 0, "", Installed("/opt/Zanto/7315", "/opt/Zanto"), "", "",
       "", "owner='--owner=1000 --group=1000'"},
      {"a list whose wrapper would replace a system command; an earlier wrapper is replaced",
       "printf '#! /usr/bin/sh\\n\\nTavrinFileSourceDir=`pwd`\\nexport TavrinFileSourceDir\\ncd "
       "/old\\n/old/tavrin $*\\n' > /usr/bin/tavrin",
       "/h/site/setup", kInstall, 0,
       "ERROR: /usr/bin/ls exists and is not a wrapper of this driver\n"
       "\nWARNING: 1 command failed; see /tmp/setup.log",
       "+ f 0744 root root /etc/rc2.d/KZantoPrintD\n+ f 0744 root root /etc/rc2.d/SZantoPrintD\n"
       "+ d 0755 root root /opt/Zanto\n+ d 0775 root root /opt/Zanto/7315\n"
       "+ f 0666 root root /opt/Zanto/7315/.PrintError\n"
       "+ f 0444 root root /opt/Zanto/7315/README\n"
       "+ f 4755 root root /opt/Zanto/7315/ZantoPrint7315\n"
       "+ f 4755 root root /opt/Zanto/7315/ZantoPrint7315Tty\n"
       "+ f 0755 root root /opt/Zanto/7315/tavrin\n+ f 0755 root root /usr/bin/tavrin\n"
       "+ d 0775 root root /var/spool/Zanto\n+ d 0775 root root /var/spool/Zanto/7315\n",
       "grep -c old /usr/bin/tavrin; cmp /usr/bin/ls /bin/ls && echo same", "0\nsame\n",
       "README bat ls mode -w\ntavrin bat tavrin\n"},
      {"a FIFO for the earlier product's lp",
       "mkdir -p /usr/bin/ZantoSave /usr/ucb/ZantoSave && touch /usr/bin/ZantoSave/lp "
       "/usr/ucb/ZantoSave/lpr && mv /usr/bin/lp /usr/bin/lp.real 2>/dev/null; mkfifo /usr/bin/lp",
       "timeout 20 /h/site/setup", "e\n", 0, "WARNING: can't open file, /usr/bin/lp\n", ""},
      {"a caller's mask of 000 opens nothing to others", "", "umask 000; /h/site/setup manual",
       "e\n", 0, "", "+ d 0755 root root /tmp/ZantoInstall\n"},
  };
  for (const Scenario& a : attacks) RunScenario(a);
}

// Each race is run 20 times; the attacker swaps as fast as it can while
// root works. No run may reach the victim.
TEST_F(Hostile, RacesDuringTheRun) {
  const struct { Scenario attack; std::string race; } races[] = {
      {{"the driver directory made and re-moded while links come and go", "", "/h/site/setup",
        kInstallAtTmp, 0, "",
        "^[+~] . [0-7]+ [a-z]+ [a-z]+ (/tmp/Zanto|/etc/rc2.d/|/usr/bin/"
        "(tavrin|zanto7315)$|/var/spool/Zanto)"},
       "while :; do mkdir /tmp/Zanto; ln -s /etc/victim /tmp/Zanto/7315; done 2>/dev/null"},
      {{"the help file's copy in /tmp while a file and a link swap", "", "setup", "e\n", 0, "",
        "^[+~] . [0-7]+ [a-z]+ [a-z]+ /tmp/(setup\\.hlp|l|f)( |$)", "", "", "", "", true},
       "while :; do ln -s /etc/victim /tmp/l; echo x > /tmp/f; mv -f /tmp/l /tmp/setup.hlp; "
       "mv -f /tmp/f /tmp/setup.hlp; done 2>/dev/null"},
  };
  for (const auto& r : races)
    for (int round = 0; round < 20; ++round) RunScenario(r.attack, r.race);
}

// One installer run at a time: a second run is refused while the first
// holds the host's lock, the lock dies with its process, and no lock file
// that someone else made is used.
// The first run waits at its menu, reading from /h/in (fd 3 writes it);
// $pid is its process.
const char kFirstAtMenu[] =
    "mkfifo /h/in; /h/site/setup </h/in >/h/out & pid=$!; exec 3>/h/in; "
    "until grep -qs 'Enter option' /h/out; do :; done; ";
const char kLock[] = "/run/setup-" PKG ".lock";

TEST_F(Lock, OneRunAtATime) {
  const std::string lock = kLock;
  const Scenario cases[] = {
      {"a second run is refused and leaves the first's work alone; the first then installs", "",
       std::string(kFirstAtMenu) +
           "ls -A /tmp/ZantoInstall > /h/wd1; cp /tmp/setup.log /h/log1; "
           "/h/site/setup </dev/null >/h/out2 2>/h/err2; echo $? > /h/st2; "
           "ls -A /tmp/ZantoInstall > /h/wd2; cmp /tmp/setup.log /h/log1 >&2; "
           "printf '1\\n\\ny\\n' >&3; exec 3>&-; wait $pid; st=$?; echo $pid > /h/pid; exit $st",
       "", 0, "", Installed("/opt/Zanto/7315", "/opt/Zanto"),
       "sed \"s/$(cat /h/pid)/PID/\" /h/err2; cat /h/st2 /h/out2; cmp /h/wd1 /h/wd2 && echo kept",
       "ERROR: another setup is running (process PID); wait for it to end\n1\nkept\n"},
      {"a run after one killed outright starts as usual", "",
       std::string(kFirstAtMenu) + "kill -KILL $pid; { wait $pid; } 2>/dev/null; /h/site/setup",
       "e\n", 0, "", "", "ls -A /tmp", "setup.log\n"},
      {"a lock file of another user's is not used", "touch " + lock + " && chown 65534 " + lock,
       "/h/site/setup", "e\n", 1,
       "ERROR: the lock file " + lock + " is not root's own plain file; not used\n", "",
       "ls -A /tmp; stat -c '%U %s' " + lock, "nobody 0\n"},
      {"a link for the lock file is not followed", "ln -s /etc/victim " + lock, "/h/site/setup",
       "e\n", 1, "ERROR: the lock file " + lock + " is not root's own plain file; not used\n", ""},
      {"lock-like files where others can write change nothing",
       AS_NOBODY "sh -c 'ln -s /etc/victim /tmp/setup-" PKG ".lock; touch /tmp/setup.lock'",
       "/h/site/setup", "e\n", 0, "", ""},
  };
  for (const Scenario& c : cases) RunScenario(c);
}

}  // namespace
