// The install sources: an installation site, and a set of diskettes in
// the simulated drive with the operator answering at the terminal; the
// sites and diskettes the installer makes, and installations from them.
#include <gmock/gmock.h>

#include <string>

#include "tests/support/SetupRun.h"

namespace {

using Sources = HostTest;
using Site = HostTest;
using Disks = HostTest;

// Started from the work area itself, the site operation first removes
// the work area's setup and setup.hlp: its own files. An old work
// directory goes too.
TEST_F(Sources, SiteIsTheWorkArea) {
  SetupRun h;
  h.Site("site", "disks installfrom pkg_tar.z1\n", {"setup.hlp", "pkg_tar.z1"});
  h.Sh("cp -p /h/site/* /tmp/ && mkdir /tmp/ZantoInstall && echo old > /tmp/ZantoInstall/stale");
  RunResult r = h.Sh("/tmp/setup manual", "e\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(h.Ls("/tmp/ZantoInstall"), "disks\ninstallfrom\npkg_tar.z1\n");
  EXPECT_EQ(h.Ls("/tmp"), "ZantoInstall\ndisks\ninstallfrom\npkg_tar.z1\nsetup.log\n");
  EXPECT_EQ(h.Log(), kLogStart + "/usr/bin/rm -rf /tmp/ZantoInstall\n" +
                         Lines("/usr/bin/cp -p /tmp/", {"disks", "installfrom", "pkg_tar.z1"},
                               " /tmp/ZantoInstall"));
  // A work directory that cannot be made ends the run before any copy.
  r = h.Sh("rm /tmp/setup.log; /h/site/setup /proc", "e\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("\nsetup: can't create directory /proc/ZantoInstall : ", 0), 0u) << r.err;
  EXPECT_EQ(h.Ls("/tmp"), "ZantoInstall\ndisks\ninstallfrom\npkg_tar.z1\n");
}

// Diskettes: the first is read as it is, the others are asked for with
// their numbers after an eject; a wrong one is ejected and asked for
// again, an eject that fails is retried after the operator's key, and a
// wait that meets the end of the input ends the program (with no stale
// error text).
TEST_F(Sources, Diskettes) {
  const std::string
      insert2 = "Please insert install diskette 2 and press enter\n",
      insert3 = "Please insert install diskette 3 and press enter\n",
      busy =
          "Unable to eject diskette.\nPlease exit out of any other application "
          "(filemanager, shell) that may be using the floppy drive. and press enter\n",
      one = "..Reading diskette 1\n...Reading diskette 2\n",
      eof = "\nsetup: reading from standard input: end of input\n",
      end = ".Reading diskette 3\n" + insert3 + ".." + kMainMenu;
  // err: a part of it when the run fails
  struct Case { std::string drive, args, input, out, err; int status; } cases[] = {
      {"--queue /h/d1 /h/d2 /h/d3", "", "\n\ne\n", one + insert2 + end + "...\n", "", 0},
      {"--queue /h/d1 /h/d3 /h/d2 /h/d3", " manual", "\n\n\ne\n",
       one + insert2 + insert2 + end + "\n", "", 0},
      {"--fail-ejects 2 --queue /h/d1 /h/d2 /h/d3", " manual", "\n\n\n\ne\n",
       one + busy + busy + insert2 + end + "\n", "eject: Device busy\neject: Device busy\n", 0},
      {"--queue /h/d1", " manual", "\n", one + insert2 + insert2, eof, 1},
      {"--fail-ejects 1000 --queue /h/d1", " manual", "", one + busy, eof, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.drive);
    SetupRun h;
    // The first diskette's list names the files of d2 and d3 too.
    h.Files("d1", "disks setup.hlp pkg_tar.z1\npkg_tar.z2\npkg_tar.z3 extra\n",
            {"setup.hlp", "pkg_tar.z1", "../d2/pkg_tar.z2", "../d3/pkg_tar.z3", "../d3/extra"});
    h.Sh("floppyctl init /h/floppy " + c.drive +
         " && floppyctl sync && echo old > /tmp/" PKG ".tar.Z");
    RunResult r = h.Sh("/h/bin/setup" + c.args, c.input);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    if (c.status) {
      EXPECT_TRUE(r.err.ends_with(c.err)) << r.err;
      continue;
    }
    EXPECT_EQ(r.err, c.err);
    const std::string f = "/usr/bin/cp -p /floppy/floppy0/";
    const std::string log =
        kLogStart + f + "setup.hlp .\n" +
        Lines(f, {"disks", "setup.hlp", "pkg_tar.z1", "pkg_tar.z2", "pkg_tar.z3", "extra"},
              " ZantoInstall");
    if (c.args.empty()) {  // "~e Exit" goes back to the start-up, which cleans up
      EXPECT_EQ(h.Log(),
                log + Lines("/usr/bin/rm -rf /tmp/", {"ZantoInstall", "setup.hlp", PKG ".tar.Z"}));
      EXPECT_EQ(h.Ls("/tmp"), "setup.log\n");
      // Each later diskette is mounted by volcheck; the last one goes out too.
      EXPECT_EQ(ReadText(h.Host("floppy/log")),
                "insert /h/d1\neject /h/d1\ninsert /h/d2\nvolcheck mounted /h/d2\neject /h/d2\n"
                "insert /h/d3\nvolcheck mounted /h/d3\neject /h/d3\n");
    } else {
      EXPECT_EQ(h.Log(), log);
      // Msg holds what the eject commands printed.
      EXPECT_EQ(h.Ls("/tmp/ZantoInstall"),
                "Msg\ndisks\nextra\npkg_tar.z1\npkg_tar.z2\npkg_tar.z3\nsetup.hlp\n");
    }
  }
}

// "Create an installation site.", and an installation started from the
// site it made.
using testing::HasSubstr;

std::string SiteFiles(const std::string& site) {
  std::string s = "+ d 0755 root root " + site + "\n";
  for (const char* f : {"disks", "installfrom", "pkg_tar.z1", "pkg_tar.z2", "setup.hlp"})
    s += "+ f 0644 root root " + site + "/" + f + "\n";
  return s;
}

TEST_F(Site, MadeThenInstalledFrom) {
  SetupRun h;
  h.PackageSite();
  const std::string site = "/opt/" PKG "Install";
  RunResult r = h.Sh("/h/site/setup", "2\n\ny\ne\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(h.Changes("/opt"), SiteFiles(site));
  EXPECT_EQ(h.Inside(site + "/installfrom"), "installation site");
  EXPECT_EQ(h.Inside(site + "/pkg_tar.z2"), ReadText(h.Host("site/pkg_tar.z2")));
  // The menu is shown again after the site is made.
  EXPECT_EQ(Count(r.out, "Install Print Driver and Utilities"), 2) << r.out;
  EXPECT_THAT(r.out, HasSubstr("\nPress <Return> or enter the new installation directory [/opt]: "
                               "Do you want to use /opt? [y/n] "));
  // The archive and the installer are not in the work area of a run from
  // a site: only warnings.
  EXPECT_THAT(h.Log(), HasSubstr("cp -p " PKG ".tar.Z setup setup.hlp " + site + "\n"));
  EXPECT_THAT(h.Log(), HasSubstr("cp -p /tmp/ZantoInstall/pkg_tar.z2 " + site + "\n"));

  // Made twice in the same place: the same site.
  const std::string disks = h.Inside(site + "/disks");
  r = h.Sh("/h/site/setup", "2\n\ny\ne\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(h.Changes("/opt"), SiteFiles(site));
  EXPECT_EQ(h.Inside(site + "/disks"), disks);
  EXPECT_EQ(h.Inside(site + "/installfrom"), "installation site");

  // "/" and "/export/" as the base; declined: nothing made.
  r = h.Sh("/h/site/setup", "2\n/\n\ny\n2\n/export/\n\ny\n2\n\nn\ne\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Count(r.out, "Install Print Driver and Utilities"), 4) << r.out;
  EXPECT_EQ(h.Changes("/" PKG), SiteFiles("/" PKG "Install"));
  EXPECT_EQ(h.Changes("/export/"), SiteFiles("/export/" PKG "Install"));
  EXPECT_THAT(h.Log(), HasSubstr("mkdir -p /" PKG "Install\n"));
  EXPECT_THAT(h.Log(), HasSubstr("mkdir -p /export//" PKG "Install\n"));
  EXPECT_EQ(h.Changes("/opt"), SiteFiles(site));

  // The operator puts the installer beside it; a run from there installs.
  r = h.Sh("cp /h/bin/setup " + site + " && " + site + "/setup", "1\n\ny\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(h.Inside("/opt/Zanto/7315/setup7315.ran"), "setup7315 update\ncwd /opt/Zanto/7315\n");
  EXPECT_EQ(h.Changes("/opt/Zanto/7315/ZantoPrint7315Tty"),
            "+ f 4755 root root /opt/Zanto/7315/ZantoPrint7315Tty\n");
  // Made again from the site itself: refused, the menu comes back.
  r = h.Sh(site + "/setup", "2\n\ny\n\ne\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr(site + " is the installation site setup was started from\n"
                                      "Press <Return> to continue "));
  // The site dialogue does not look for an earlier installation.
  r = h.Sh("/h/site/setup", "2\n\nn\ne\n");
  EXPECT_THAT(r.out,
              HasSubstr("\nPress <Return> or enter the new installation directory [/opt]: "));

}

// Key h of the main menu opens the help file shipped beside the program;
// Exit Help returns to the main menu.
TEST_F(Site, HelpBesideTheProgram) {
  SetupRun h;
  h.PackageSite();
  WriteFile(h.Host("site/setup.hlp"), ReadText(SETUP_BINARY_DIR "/bin/setup.hlp"));
  RunResult r = h.Sh("/h/site/setup", "h\n2\nb\ne\ne\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Count(r.out, "Install Print Driver and Utilities\n"), 2) << r.out;
  EXPECT_EQ(Count(r.out, "SolarisTavrin7315 Setup Help\n"), 2) << r.out;  // again after Back
}

// "Create installation diskettes." on the simulated drive of
// tools/floppy, and an installation from the diskettes it wrote.
TEST_F(Disks, ThreeDiskettesThenInstalledFrom) {
  SetupRun h;
  h.PackageSite(3, "",
                "disks setup setup.hlp installfrom pkg_tar.z1\npkg_tar.z2\n\npkg_tar.z3\n"
                "end_of_list\npkg_tar.z9\n");
  // Three blank diskettes, the first one in the drive, the second holding
  // an old file.
  RunResult r = h.Sh(
      "floppyctl init /h/floppy --blank 3 >/dev/null && echo old > "
      "/h/floppy/disk2/old && /h/site/setup",
      "3\n\n\ne\n");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  // The first diskette is in the drive already; the others are asked for.
  EXPECT_EQ(r.out, "........" + std::string(kMainMenu) +
                       "\nCreating diskette 1 ......\nCreating diskette 2 .\nPlease insert DOS "
                       "formatted diskette (2) and press enter..\nCreating diskette 3 .\nPlease "
                       "insert DOS formatted diskette (3) and press enter.." +
                       kMainMenu + ".\n");
  EXPECT_EQ(h.Ls("/h/floppy/disk1"), "disks\ninstallfrom\npkg_tar.z1\nsetup\nsetup.hlp\n");
  EXPECT_EQ(h.Ls("/h/floppy/disk2"), "pkg_tar.z2\n");
  EXPECT_EQ(h.Ls("/h/floppy/disk3"), "pkg_tar.z3\n");
  // The marker was written before the list's files were copied.
  EXPECT_EQ(ReadText(h.Host("floppy/disk1/installfrom")), "diskette");
  EXPECT_EQ(ReadText(h.Host("floppy/disk3/pkg_tar.z3")), ReadText(h.Host("site/pkg_tar.z3")));

  // The diskettes in the drive one after the other; the installer started
  // from the first one reads them all and installs.
  r = h.Sh(
      "floppyctl init /h/drive2 --queue /h/floppy/disk1 /h/floppy/disk2 /h/floppy/disk3 "
      ">/dev/null && floppyctl sync /h/drive2 && /floppy/floppy0/setup",
      "\n\n1\n\ny\n", {{"FLOPPY_STATE", "/h/drive2"}});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_THAT(r.out, testing::HasSubstr("Reading diskette 3\n"));
  EXPECT_EQ(h.Inside("/opt/Zanto/7315/setup7315.ran"), "setup7315 update\ncwd /opt/Zanto/7315\n");
  EXPECT_EQ(h.Changes("/opt/Zanto/7315/ZantoPrint7315Tty"),
            "+ f 4755 root root /opt/Zanto/7315/ZantoPrint7315Tty\n");
}

}  // namespace
