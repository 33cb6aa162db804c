// "Install Driver and Utilities" from an installation site; the removal of
// the earlier print product at start-up; setup --preview.
#include <gmock/gmock.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/SetupRun.h"

namespace {

using Install = HostTest;

using testing::HasSubstr;

const std::string kAskOpt =
    "\nPress <Return> or enter the new installation directory [/opt]: Do you want to use /opt? "
    "[y/n] ";

TEST_F(Install, FullInstallFromSite) {
  SetupRun h;
  // Only words that begin with pkg_tar. are pieces, and the marker ends
  // its line's names: the archive is pieces 1 and 2 once each.
  h.PackageSite(
      2, "", "disks setup.hlp pkg_tar.z1\r\n\n  xpkg_tar.z1 pkg_tar.z2 end_of_list pkg_tar.z1\n");
  h.Put("site/xpkg_tar.z1", "not a piece\n");
  // A start script without "/Zanto" after its first '/' is no earlier
  // installation: the default is offered at once.
  h.Sh("printf '\\t[ -f /usr/TavrinD ] && /usr/TavrinD &\\n' > /etc/rc2.d/SZantoPrintD");
  RunResult r = h.Sh("/h/site/setup", "1\n\ny\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  // The menu ends after the installation.
  EXPECT_THAT(r.out, HasSubstr(kAskOpt));
  EXPECT_EQ(Count(r.out, "Install Print Driver and Utilities"), 1) << r.out;
  EXPECT_THAT(r.out, HasSubstr("setup7315: update\n"));
  EXPECT_EQ(h.Changes("/tmp"), "+ f 0666 root root /tmp/setup.log\n");
  EXPECT_EQ(RunChanges(h, ""), Installed("/opt/Zanto/7315", "/opt/Zanto"));

  // Each script for its file (their texts: the unit tests of the scripts).
  const char* scripts[][2] = {
      {"/usr/bin/zanto7315", "\n/opt/Zanto/7315/zanto7315 $*\n"},
      {"/usr/bin/tavrin", "\n/opt/Zanto/7315/tavrin $*\n"},
      {"/opt/Zanto/7315/ZantoPrint7315", "\n/opt/Zanto/7315/zanto7315 $* > /opt/Zanto/7315/"},
      {"/opt/Zanto/7315/ZantoPrint7315Tty", "\ncd /opt/Zanto/7315\n\nif [ -f settings/"},
      {"/etc/rc2.d/SZantoPrintD", " /opt/Zanto/7315/TavrinD &\n"},
      {"/etc/rc2.d/KZantoPrintD", " /opt/Zanto/7315/TavrinD &\n"}};
  for (const auto& [file, part] : scripts) EXPECT_THAT(h.Inside(file), HasSubstr(part)) << file;
  // The package's set-up program ran once, in the driver directory.
  EXPECT_EQ(h.Inside("/opt/Zanto/7315/setup7315.ran"), "setup7315 update\ncwd /opt/Zanto/7315\n");

  const std::string cat = "/usr/bin/cat  /tmp/ZantoInstall/pkg_tar.z", into = " >> /tmp/ZantoInstall/" PKG ".tar.Z\n";
  EXPECT_THAT(h.Log(), HasSubstr(cat + "1" + into + cat + "2" + into + "/usr/bin/uncompress "));
  EXPECT_EQ(Count(h.Log(), cat), 2);
}

// The directory dialogue over several installations on one machine.
TEST_F(Install, DirectoryDialogue) {
  SetupRun h;
  h.PackageSite();
  // "opt" is refused, /export/opt becomes the default, answers other than
  // y or n repeat the question; declined, the item again joins the archive
  // afresh and installs.
  RunResult r = h.Sh("/h/site/setup", "1\nopt\nx\n/export/opt\n\nY\n\nn\n1\n/usr/local\n\ny\n");
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string ask = "Do you want to use /export/opt? [y/n] ";
  EXPECT_THAT(r.out, HasSubstr("[/opt]: This entry must be a full path to the installation "
                               "directory\nPress <Return> to continue \nPress <Return> or enter "
                               "the new installation directory [/opt]: \nPress <Return> or enter "
                               "the new installation directory [/export/opt]: " +
                               ask + ask + ask + "\f"));
  EXPECT_EQ(Count(h.Log(), "cat  /tmp/ZantoInstall/pkg_tar.z1 >> "), 2);
  EXPECT_EQ(Count(h.Log(), "tar xvfp "), 2);
  EXPECT_EQ(h.Changes("/export"), "");
  EXPECT_EQ(h.Changes("/opt"), "");
  EXPECT_THAT(h.Inside("/etc/rc2.d/SZantoPrintD"), HasSubstr(" /usr/local/Zanto/7315/TavrinD &\n"));

  // The earlier directory is offered; y installs there again.
  const std::string local = "Do you want to use /usr/local? [y/n] ";
  r = h.Sh("/h/site/setup", "1\ny\n");
  EXPECT_THAT(r.out, HasSubstr("\nExisting installation directory [/usr/local]\n " + local + "."));
  EXPECT_EQ(h.Inside("/usr/local/Zanto/7315/setup7315.ran"),
            "setup7315 update\ncwd /usr/local/Zanto/7315\n"
            "setup7315 update\ncwd /usr/local/Zanto/7315\n");

  // n twice: the prompt with /usr/local; then a directory with a blank
  // and a quote. (The name's length limit: the dialogue's unit tests.)
  r = h.Sh("/h/site/setup", "1\nn\nn\n/it's dir\n\ny\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr(local +
                               "\nWarning defining another installation directory will invalidate "
                               "any defined print queues [/usr/local]\n " +
                               local +
                               "\nThis entry must be a full path to the installation directory\n\n"
                               "\fYou must specify an installation directory which will be used\n"
                               "to install the Zanto directory along with its support files and\n"
                               "directories. This utility will create the install directory\n"
                               "if it doesn't already exist.\n\nPress <Return> or enter the new "
                               "installation directory [/usr/local]: \nPress <Return> or enter the "
                               "new installation directory [/it's dir]: Do you want to use /it's "
                               "dir? [y/n] ."));
  EXPECT_EQ(h.Changes("/it's dir/Zanto/7315/z"), "+ f 0755 lp lp /it's dir/Zanto/7315/zanto7315\n");
  EXPECT_EQ(h.Inside("/it's dir/Zanto/7315/setup7315.ran"),
            "setup7315 update\ncwd /it's dir/Zanto/7315\n");
  EXPECT_THAT(h.Inside("/etc/rc2.d/KZantoPrintD"), HasSubstr(" '/it'\\''s dir/Zanto/7315'/TavrinD &"));
  // The installed scripts work from there: wrapper, stop script and the lp
  // interface program with its log, run as lp does, under the queue's name.
  r = h.Sh(
      "cd /h && /usr/bin/zanto7315 a 'b c' && sh /etc/rc2.d/KZantoPrintD stop && "
      "cp '/it'\\''s dir/Zanto/7315/ZantoPrint7315' /tmp/q1 && /tmp/q1 7 joe t 1 o f1 && "
      "cat '/it'\\''s dir/Zanto/7315/zanto7315.log'");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "zanto7315: a b c\nTavrinFileSourceDir=/h\nStoping Zanto Print Demon.\nTavrinDStop: \n"
            "zanto7315: f1\nTavrinPrinterInterface=interface\nTavrinPrinter=q1\n"
            "TavrinRequest_id=7\nTavrinUser_name=joe\nTavrinTitle=t\nTavrinCopies=1\n"
            "TavrinOption_list=o\n");

  // Found again; "/" gives //Zanto/7315, and is found as "/".
  r = h.Sh("/h/site/setup", "1\nn\nn\n/\n\ny\n");
  EXPECT_THAT(r.out, HasSubstr("\nExisting installation directory [/it's dir]\n "));
  r = h.Sh("/h/site/setup", "1\nn\nn\n\nn\ne\n");
  EXPECT_THAT(r.out,
              HasSubstr("\nExisting installation directory [/]\n Do you want to use /? [y/n] "));
  EXPECT_THAT(h.Inside("/etc/rc2.d/SZantoPrintD"), HasSubstr(" //Zanto/7315/TavrinD &\n"));
  EXPECT_THAT(h.Inside("/usr/bin/tavrin"), HasSubstr("\ncd //Zanto/7315\n//Zanto/7315/tavrin $*\n"));
  EXPECT_EQ(h.Changes("/Zanto/7315/ZantoPrint7315Tty"),
            "+ f 4755 root root /Zanto/7315/ZantoPrint7315Tty\n");
}

TEST_F(Install, NotRoot) {
  SetupRun h;
  h.PackageSite();
  for (const char* who : {"joe", ""}) {
    RunResult r = h.Sh("/h/site/setup", "1\n", {{"FAKE_WHOAMI", who}});
    EXPECT_EQ(r.status, 1) << r.err;
    const std::string refusal = std::string(*who ? who : "unknown") + " is logged in\n";
    EXPECT_EQ(Count(r.out, refusal + "You must become root to run setup\n"), 1) << r.out;
    EXPECT_EQ(Count(r.out, "Install Print Driver and Utilities"), 1) << r.out;
    EXPECT_EQ(h.Changes(), "+ f 0666 root root /tmp/setup.log\n");  // the work directory is gone
  }
}

// A list is checked whole before its first line is applied: nothing of it
// is done when any line is refused. (Each check on its own, and the line
// count over joined lines: the unit tests of the list.)
TEST_F(Install, Failures) {
  const std::string list = "ERROR: /tmp/ZantoInstall/pkg/pkg.list, line ";
  struct Case { std::string pkgList, disks, err; } cases[] = {
      // A keyword holding ',' is no keyword, though ",mode,bat," is in the
      // list; every named file must be in the package.
      {"README mode,bat 700 mode 600\nmissing mode 600 bat missing\nTavrinD mode 700\n", "",
       list + "2: no such file in the package\n"},
      // Lines up to 510 characters with their end are taken.
      {"\nREADME" + std::string(495, ' ') + "mode 600\nREADME" + std::string(496, ' ') +
           "mode 600\n",
       "", list + "3: line too long\n"},
      // A site whose list does not name "disks".
      {"", "setup.hlp pkg_tar.z1\npkg_tar.z2\n", "ERROR: can't open file, ZantoInstall/disks\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pkgList + c.disks);
    SetupRun h;
    h.PackageSite(2, c.pkgList);
    if (!c.disks.empty()) h.Put("site/disks", c.disks);
    RunResult r = h.Sh("/h/site/setup", "1\n\ny\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(h.Changes("/opt/Zanto/7315/R") + h.Changes("/usr") + h.Changes("/etc"), "");
  }
}

// Removal of the earlier print product at start-up: its lp and lpr give
// way to the saved system commands, its home, model directory, printer
// list and lp service entries go.
using Earlier = HostTest;

const char kSavedLp[] = "#!/bin/sh\n# the system's lp\n";
const char kSavedLpr[] = "#!/bin/sh\n# the system's lpr\n";
const char kMarkedLp[] = "#!/bin/sh\nKDLM_HOME=/opt/old/home\nexec \"$KDLM_HOME/bin/kdlm\"\n";
const std::string kSiteCopies =
    Lines("/usr/bin/cp -p /h/site/", {"disks", "pkg_tar.z1"}, " /tmp/ZantoInstall");

// The log's start when the earlier product at home is removed.
std::string RestoreLog(const std::string& home) {
  return kLogStart + "/usr/bin/rm -rf  " + home +
         "\n/usr/bin/rm -f  /usr/bin/lp /usr/ucb/lpr\n"
         "/usr/bin/cp -p /usr/bin/ZantoSave/lp /usr/bin/lp\n"
         "/usr/bin/cp -p /usr/ucb/ZantoSave/lpr /usr/ucb/lpr\n";
}

// Writes to /h/<file> what is left of the earlier product, the saved
// commands and the lp service's entries.
std::string ShowLeft(const std::string& file) {
  return "\ncd /var/spool/lp && LC_ALL=C ls -A /opt/old /usr/bin/ZantoSave /usr/ucb/ZantoSave "
         "admins/lp/printers admins/lp/interfaces requests > /h/" +
         file + " 2>&1\n";
}

// The earlier product as it was left on a machine (/h/before shows it),
// then the installer run from a site (/h/after shows what is left).
RunResult PlantAndRun(SetupRun& h, const std::string& lp, const std::string& printers,
                      const std::string& more = "") {
  h.Site("site", "disks pkg_tar.z1\n", {"pkg_tar.z1"});
  h.Put("savedlp", kSavedLp, 0755);
  h.Put("savedlpr", kSavedLpr, 0751);
  h.Put("lp", lp, 0700);
  h.Put("printers", printers);
  h.Sh(
      "mkdir -p /usr/bin/ZantoSave /usr/ucb/ZantoSave /opt/old/home/bin /opt/old/7315 "
      "/var/spool/lp/admins/lp/printers /var/spool/lp/admins/lp/interfaces "
      "/var/spool/lp/requests && cd /h && cp -p savedlp /usr/bin/ZantoSave/lp && "
      "cp -p savedlpr /usr/ucb/ZantoSave/lpr && cp -p lp /usr/bin/lp && "
      "echo '#!/bin/sh' > /usr/ucb/lpr && echo kdlm > /opt/old/home/bin/kdlm && "
      "echo model > /opt/old/7315/model && cp printers /opt/old/Zanto_printers && "
      "cd /var/spool/lp && touch admins/lp/printers/q1 admins/lp/printers/old "
      "admins/lp/printers/other admins/lp/interfaces/q1 requests/q2 requests/old "
      "requests/skipped\n" +
      more + ShowLeft("before"));
  return h.Sh("/h/site/setup manual; st=$?" + ShowLeft("after") + "exit $st", "e\n");
}

TEST_F(Earlier, RemovesTheEarlierProduct) {
  // q1 with a comment, a comment line, blanks before '#', an empty line, a
  // line of blanks, a name ended by a tab; then a long list whose last
  // queue is handled too.
  std::string printers = "q1  # first queue\n#skipped\n  #old\n\n   \nq2\tmore\n";
  // p0001 to p1200
  for (int i = 10001; i <= 11200; i++) printers += "p" + std::to_string(i).substr(1) + "\n";
  SetupRun h;
  RunResult r = PlantAndRun(h, kMarkedLp, printers,
                            "touch /var/spool/lp/requests/p1200 /var/spool/lp/requests/p0001");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, std::string(16, '.') + kMainMenu + "\n");
  EXPECT_EQ(h.Log(),
            RestoreLog("/opt/old/home") +
                Lines("/usr/bin/rm -rf  /var/spool/lp/",
                      {"admins/lp/printers/q1", "admins/lp/interfaces/q1", "admins/lp/printers/old",
                       "requests/old", "requests/q2", "requests/p0001", "requests/p1200"}) +
                "/usr/bin/rm -f  /opt/old/Zanto_printers\n"
                "/usr/bin/rm -rf  /opt/old/7315\n" +
                kSiteCopies);
  // The saved commands are back with their modes; the save directories stay.
  EXPECT_EQ(h.Inside("/usr/bin/lp"), kSavedLp);
  EXPECT_EQ(h.Inside("/usr/ucb/lpr"), kSavedLpr);
  EXPECT_EQ(FileMode(h.InLayer("/usr/bin/lp")), 0755);
  EXPECT_EQ(FileMode(h.InLayer("/usr/ucb/lpr")), 0751);
  EXPECT_EQ(ReadText(h.Host("after")),
            "/opt/old:\n\n/usr/bin/ZantoSave:\nlp\n\n/usr/ucb/ZantoSave:\nlpr\n\n"
            "admins/lp/interfaces:\n\nadmins/lp/printers:\nother\n\nrequests:\nskipped\n");
}

// The printer list and model directory are beside the home as written:
// a trailing slash makes the home itself their directory, and a long
// home is not cut into another, existing directory.
TEST_F(Earlier, PathsBesideTheHome) {
  const std::string longDir = "/opt/old/" + std::string(250, 'x');
  const std::string cutDir = longDir.substr(0, 255);
  const struct { std::string home, dir, err, queues; } cases[] = {
      {"/opt/old/home/", "/opt/old/home",
       "WARNING: can't open file, /opt/old/home/Zanto_printers\n", ""},
      {longDir + "/home", longDir, "",
       Lines("/usr/bin/rm -rf  /var/spool/lp/admins/lp/", {"printers/q1", "interfaces/q1"})},
      // Below a system directory is not the system's.
      {"/usr/local/KDLM", "/usr/local", "",
       Lines("/usr/bin/rm -rf  /var/spool/lp/admins/lp/", {"printers/q1", "interfaces/q1"})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.home);
    SetupRun h;
    RunResult r = PlantAndRun(h, "#!/bin/sh\nKDLM_HOME=" + c.home + "\n", "q1\n",
                              "mkdir -p " + c.home + " " + c.dir + "/7315 " + cutDir +
                                  "/7315 && cp /opt/old/Zanto_printers " + c.dir + "/");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(h.Log(), RestoreLog(c.home) + c.queues + "/usr/bin/rm -f  " + c.dir +
                           "/Zanto_printers\n/usr/bin/rm -rf  " + c.dir + "/7315\n" + kSiteCopies);
    // What is beside the home's own directory stays.
    EXPECT_EQ(h.Ls(c.home), "missing\n");
    EXPECT_EQ(h.Ls("/opt/old/7315"), "model\n");
    EXPECT_EQ(h.Ls(cutDir), "7315\n");
  }
}

// Other lp commands, unsafe homes (the removal would reach the root, or
// nowhere certain) and a missing save directory: nothing is touched.
TEST_F(Earlier, LeavesOtherProductsAlone) {
  const std::string warn = "WARNING: the earlier product's home \"";
  const std::string unsafe =
      "\" (from /usr/bin/lp) is not a safe absolute path; nothing removed "
      "or restored\n";
  struct Case { std::string lp, more, err; };
  std::vector<Case> cases = {
      {"#!/bin/sh\nexec /usr/lib/lp/real-lp \"$@\"\n", "", ""},
      {"#!/bin/sh\n" + std::string(1990, '#') + "\nKDLM_HOME=/opt/old/home\n", "", ""},
      {"#!/bin/bash\nKDLM_HOME=/opt/old/home\n", "", ""},
      {kMarkedLp, "rm -r /usr/ucb/ZantoSave", ""},
  };
  // A system directory, one holding one, one reached through a link, a
  // relative path (the unit tests hold the rest of the list).
  for (const char* home : {"/", "/usr", "//usr//local/", "/opt/share", "opt/old/home"})
    cases.push_back({std::string("#!/bin/sh\nKDLM_HOME=") + home + "\n",
                     "ln -s /usr/share /opt/share", warn + home + unsafe});
  // A home line cut at the 2000 bytes read would name /opt.
  cases.push_back({"#!/bin/sh\n" + std::string(1975, '#') + "\nKDLM_HOME=/opt/KDLM\n", "",
                   warn + "/opt" + unsafe});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lp + c.more);
    SetupRun h;
    RunResult r = PlantAndRun(h, c.lp, "q1\nold\nq2\n", c.more);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(h.Log(), kLogStart + kSiteCopies);
    EXPECT_EQ(h.Inside("/usr/bin/lp"), c.lp);
    EXPECT_EQ(h.Inside("/usr/ucb/lpr"), "#!/bin/sh\n");
    EXPECT_EQ(ReadText(h.Host("after")), ReadText(h.Host("before")));
  }
}

// setup --preview: the run as usual, on a view of the host; the list of
// what it changed there; the host itself untouched.
using Preview = HostTest;

const char kInstall[] = "1\n\ny\n";
const char kEnd[] = "\nNothing was changed on this host.\n";

// The lines of a list, sorted, without blank lines and the run's lock.
std::string Sorted(const std::string& list) {
  std::vector<std::string> lines;
  std::istringstream in(list);
  for (std::string l; std::getline(in, l);)
    if (!l.empty() && l.find(" /run/") == std::string::npos) lines.push_back(l);
  std::sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
    return a.substr(a.find(" /")) < b.substr(b.find(" /"));
  });
  std::string s;
  for (const std::string& l : lines) s += l + "\n";
  return s;
}

// A previewed installation shows the screens of a real one and lists
// exactly what a real one changes; the host keeps what it had.
TEST_F(Preview, ListsWhatARealRunChanges) {
  SetupRun real;
  real.PackageSite();
  RunResult r = real.Sh("/h/site/setup", kInstall);
  ASSERT_EQ(r.status, 0) << r.err;

  SetupRun h;
  h.PackageSite();
  const std::string before = h.Changes();
  RunResult p = h.Sh("/h/site/setup --preview --preview-out /h/list", kInstall);
  EXPECT_EQ(p.status, 0);
  EXPECT_EQ(p.err, "");
  const std::string list = ReadText(h.Host("list"));
  EXPECT_EQ(p.out, r.out + "\nChanges this run made in the preview:\n" + list + kEnd);
  EXPECT_EQ(Sorted(list), real.Changes());
  EXPECT_EQ(h.Changes(), before);
}

TEST_F(Preview, DiskettesRefusalsAndInterrupts) {
  // From a diskette: the help file's copy and the work area are the run's
  // own, listed apart at the end.
  SetupRun d;
  d.Files("d1", "disks setup.hlp pkg_tar.z1\n", {"setup.hlp", "pkg_tar.z1"});
  ASSERT_EQ(d.Sh("floppyctl init /h/floppy --queue /h/d1 && floppyctl sync").status, 0);
  const std::string withDrive = d.Changes();
  RunResult p = d.Sh("/h/bin/setup --preview manual", "e\n");
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_THAT(p.out, testing::HasSubstr("Reading diskette 1\n"));
  EXPECT_THAT(p.out, testing::HasSubstr("\n\n+ f 0600 root root /run/setup-" PKG ".lock\n"
                                        "+ d 0755 root root /tmp/ZantoInstall\n"));
  EXPECT_THAT(p.out, testing::HasSubstr("\n+ f 0644 root root /tmp/setup.hlp\n+ f 0666 root root "
                                        "/tmp/setup.log\n" +
                                        std::string(kEnd)));
  EXPECT_EQ(d.Changes(), withDrive);

  // Not root: refused with the reason, nothing run.
  SetupRun h;
  h.PackageSite();
  const std::string before = h.Changes();
  p = h.Sh(AS_NOBODY "/h/site/setup --preview", "e\n");
  EXPECT_EQ(p.status, 1);
  EXPECT_EQ(p.out, "");
  EXPECT_EQ(p.err, "setup: --preview: cannot make a view of this host: it needs root\n");

  // Ctrl-C at the menu: the run ends as interrupted, the list follows and
  // no scratch directory is left.
  p = h.Sh(
      "mkfifo /h/in; /h/site/setup --preview </h/in >/h/out & pid=$!; exec 3>/h/in; "
      "until grep -qs 'Enter option' /h/out; do :; done; kill -INT $(pgrep -P $pid); "
      "wait $pid; st=$?; ls -d /run/setup-preview.* /tmp/setup-preview.* 2>/dev/null; "
      "tail -n 1 /h/out; exit $st");
  EXPECT_EQ(p.status, 130);
  EXPECT_EQ(p.err, "\nsetup: interrupted\n");
  EXPECT_EQ(p.out, "Nothing was changed on this host.\n");
  EXPECT_EQ(h.Changes(), before);
}

}  // namespace
