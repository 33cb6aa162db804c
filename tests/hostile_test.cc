// The installer on a hostile host: an unprivileged user (uid 65534) plants
// links, files and directories before the run and races the run where
// others can write; the medium is built carelessly or to harm. Each row
// plants, runs and compares what changed on the host with what a safe run
// may change.
#include <string>

#include "tests/support/Scenario.h"

namespace {

const char kInstallAtTmp[] = "1\n/tmp\n\ny\n";
const char kInstallAtOpt[] = "1\n\ny\n";
const char kHelpCopy[] = "+ f 0644 root root /tmp/setup.hlp\n";
const std::string kKeepRm =
    "mkdir /h/keep && printf '#!/bin/sh\\n' > /h/keep/rm && chmod 755 /h/keep/rm && ";

TEST(Hostile, PlantedBeforeTheRun) {
  SKIP_UNLESS_HOST();
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
       "mkdir -p /export/Zanto && ln -s /export/Zanto /opt/Zanto", "/h/site/setup", kInstallAtOpt,
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
      {"an archive member that links to a system file", "", "/h/site/setup", kInstallAtOpt, 1,
       "ERROR: the package holds /tmp/ZantoInstall/pkg/shadow, which is neither a file nor a "
       "directory\n",
       "", "", "", "README\nshadow mode 644\n", "ln -s /etc/victim tree/pkg/shadow"},
      {"an archive that opens the work directory to its user", "", "/h/site/setup", kInstallAtOpt,
       1,
       "ERROR: /tmp/ZantoInstall is not a directory that only this user can write to; the "
       "archive changed it\n",
       "", "", "", "", "chmod 777 tree; owner='--owner=1000 --group=1000'; members=."},
      {"an archive of a user's files: installed as root's, then as the list says", "",
       "/h/site/setup", kInstallAtOpt, 0, "", Installed("/opt/Zanto/7315", "/opt/Zanto"), "", "",
       "", "owner='--owner=1000 --group=1000'"},
      {"a list whose wrapper would replace a system command; an earlier wrapper is replaced",
       "printf '#! /usr/bin/sh\\n\\nTavrinFileSourceDir=`pwd`\\nexport TavrinFileSourceDir\\ncd "
       "/old\\n/old/tavrin $*\\n' > /usr/bin/tavrin",
       "/h/site/setup", kInstallAtOpt, 0,
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
      {"a FIFO for the site's list", "rm /h/site/disks && mkfifo /h/site/disks",
       "timeout 20 /h/site/setup", "e\n", 1, "ERROR: can't open file, /h/site/disks\n\n", ""},
      {"a FIFO for the earlier product's lp",
       "mkdir -p /usr/bin/ZantoSave /usr/ucb/ZantoSave && touch /usr/bin/ZantoSave/lp "
       "/usr/ucb/ZantoSave/lpr && mv /usr/bin/lp /usr/bin/lp.real 2>/dev/null; mkfifo /usr/bin/lp",
       "timeout 20 /h/site/setup", "e\n", 0, "WARNING: can't open file, /usr/bin/lp\n", ""},
      {"a caller's mask of 000 opens nothing to others", "", "umask 000; /h/site/setup manual",
       "e\n", 0, "", "+ d 0755 root root /tmp/ZantoInstall\n"},
  };
  for (const Scenario& a : attacks) {
    SCOPED_TRACE(a.name);
    RunScenario(a);
  }
}

// Each race is run 20 times; the attacker swaps as fast as it can while
// root works. No run may reach the victim.
TEST(Hostile, RacesDuringTheRun) {
  SKIP_UNLESS_HOST();
  const struct {
    Scenario attack;
    std::string race;
  } races[] = {
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
  for (const auto& r : races) {
    SCOPED_TRACE(r.attack.name);
    for (int round = 0; round < 20; ++round) RunScenario(r.attack, r.race);
  }
}

}  // namespace
