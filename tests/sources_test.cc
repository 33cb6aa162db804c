// The install sources: an installation site, and a set of diskettes in
// the simulated drive with the operator answering at the terminal.
#include <gtest/gtest.h>

#include <string>

#include "tests/SetupHost.h"

using namespace setup_host;

namespace {

const char kInsert2[] = "Please insert install diskette 2 and press enter\n";
const char kInsert3[] = "Please insert install diskette 3 and press enter\n";
const char kEjectBusy[] =
    "Unable to eject diskette.\nPlease exit out of any other application (filemanager, shell) "
    "that may be using the floppy drive. and press enter\n";

// Three diskettes: the first with the list and the help file.
void ThreeDiskettes(HostRun& h) {
  h.Media("d1/disks", "disks setup.hlp pkg_tar.z1\npkg_tar.z2\npkg_tar.z3 extra\n");
  h.Media("d1/setup.hlp", "help\n");
  h.Media("d1/pkg_tar.z1", "piece 1\n");
  h.Media("d2/pkg_tar.z2", "piece 2\n");
  h.Media("d3/pkg_tar.z3", "piece 3\n");
  h.Media("d3/extra", "extra\n");
}

// Msg holds what the eject commands printed.
const std::string kThreeCopied =
    "Msg\ndisks\nextra\npkg_tar.z1\npkg_tar.z2\npkg_tar.z3\nsetup.hlp\n";

std::string DisketteLog() {
  return "/usr/bin/chmod  666 /tmp/setup.log\n"
         "/usr/bin/cp -p /floppy/floppy0/setup.hlp .\n"
         "/usr/bin/cp -p /floppy/floppy0/disks ZantoInstall\n"
         "/usr/bin/cp -p /floppy/floppy0/setup.hlp ZantoInstall\n"
         "/usr/bin/cp -p /floppy/floppy0/pkg_tar.z1 ZantoInstall\n"
         "/usr/bin/cp -p /floppy/floppy0/pkg_tar.z2 ZantoInstall\n"
         "/usr/bin/cp -p /floppy/floppy0/pkg_tar.z3 ZantoInstall\n"
         "/usr/bin/cp -p /floppy/floppy0/extra ZantoInstall\n";
}

// Blank lines do not shift anything; "end_of_list" inside a line ends
// that line's names, and a line that is only "end_of_list" ends the list.
TEST(Sources, SiteList) {
  SKIP_WITHOUT_COWHOST();
  HostRun h;
  h.Site("site",
         "disks setup.hlp\n\n\r\ninstallfrom\tpkg_tar.z1 end_of_list skipped\n\npkg_tar.z2\n"
         "end_of_list\npkg_tar.z3\n",
         {"setup.hlp", "pkg_tar.z1", "skipped", "pkg_tar.z2", "pkg_tar.z3"});
  RunResult r =
      h.Setup("", "/media/site/setup manual", "e\n", ProbeList("work", "/tmp/ZantoInstall"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "......" + MainMenuScreen() + "\n");
  EXPECT_EQ(ReadFile(h.out.Sub("work")), "disks\ninstallfrom\npkg_tar.z1\npkg_tar.z2\nsetup.hlp\n");
  EXPECT_EQ(h.Log(),
            "/usr/bin/chmod  666 /tmp/setup.log\n"
            "/usr/bin/cp -p /media/site/disks /tmp/ZantoInstall\n"
            "/usr/bin/cp -p /media/site/setup.hlp /tmp/ZantoInstall\n"
            "/usr/bin/cp -p /media/site/installfrom /tmp/ZantoInstall\n"
            "/usr/bin/cp -p /media/site/pkg_tar.z1 /tmp/ZantoInstall\n"
            "/usr/bin/cp -p /media/site/pkg_tar.z2 /tmp/ZantoInstall\n");
}

// Started from the work area itself, the site operation first removes
// the work area's setup and setup.hlp: its own files. An old work
// directory goes too.
TEST(Sources, SiteIsTheWorkArea) {
  SKIP_WITHOUT_COWHOST();
  HostRun h;
  h.Site("site", "disks installfrom pkg_tar.z1\n", {"setup.hlp", "pkg_tar.z1"});
  std::string before =
      "cp -p /media/site/* /tmp/ && mkdir /tmp/ZantoInstall && echo old > "
      "/tmp/ZantoInstall/stale";
  RunResult r = h.Setup(before, "/tmp/setup manual", "e\n",
                        ProbeList("work", "/tmp/ZantoInstall") + ProbeList("area", "/tmp"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadFile(h.out.Sub("work")), "disks\ninstallfrom\npkg_tar.z1\n");
  EXPECT_EQ(ReadFile(h.out.Sub("area")),
            "ZantoInstall\ndisks\ninstallfrom\npkg_tar.z1\nsetup.log\n");
  EXPECT_EQ(h.Log(),
            "/usr/bin/chmod  666 /tmp/setup.log\n"
            "/usr/bin/rm -rf /tmp/ZantoInstall\n"
            "/usr/bin/cp -p /tmp/disks /tmp/ZantoInstall\n"
            "/usr/bin/cp -p /tmp/installfrom /tmp/ZantoInstall\n"
            "/usr/bin/cp -p /tmp/pkg_tar.z1 /tmp/ZantoInstall\n");
}

// A work directory that cannot be made ends the run before any copy.
TEST(Sources, WorkDirectoryCannotBeMade) {
  SKIP_WITHOUT_COWHOST();
  HostRun h;
  ScratchDir readOnly("ro");
  h.options = {"-r", readOnly.Path() + ":/ro"};
  h.Site("site", "disks pkg_tar.z1\n", {"pkg_tar.z1"});
  RunResult r = h.Setup("", "/media/site/setup /ro", "e\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("\nsetup: can't create directory /ro/ZantoInstall : ", 0), 0u) << r.err;
  EXPECT_FALSE(h.HasLog());
}

// Lists the installer refuses before it copies anything: too long, a
// cut name, names that leave the medium's directory.
TEST(Sources, BadSiteLists) {
  SKIP_WITHOUT_COWHOST();
  struct Case {
    std::string disks;
    std::string err;
  } cases[] = {
      {"disks pkg_tar.z1\n" + std::string(4100, '\n'),
       "ERROR: the list /media/site/disks is longer than 4095 bytes\n"},
      {"disks " + std::string(128, 'x') + "\n",
       "ERROR: the list /media/site/disks holds a name longer than 127 characters\n"},
      {"disks\npkg_tar.z1 ../../etc/passwd\n",
       "ERROR: the list /media/site/disks names \"../../etc/passwd\", which is not a plain "
       "file name\n"},
      {"disks ..\n",
       "ERROR: the list /media/site/disks names \"..\", which is not a plain file name\n"},
  };
  for (const Case& c : cases) {
    HostRun h;
    h.Site("site", c.disks, {"pkg_tar.z1"});
    RunResult r = h.Setup("", "/media/site/setup", "e\n", ProbeList("work", "/tmp/ZantoInstall"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadFile(h.out.Sub("work")), "");  // made, but nothing copied
  }
}

// Three diskettes: the first is read as it is, the others are asked for
// with their numbers, and the last one is ejected before the menu.
TEST(Sources, ThreeDiskettes) {
  SKIP_WITHOUT_COWHOST();
  HostRun h;
  ThreeDiskettes(h);
  RunResult r = h.Setup(FloppyInit("--queue /media/d1 /media/d2 /media/d3"),
                        "/cow/bin/setup manual", "\n\ne\n", ProbeList("work", "/tmp/ZantoInstall"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "..Reading diskette 1\n...Reading diskette 2\n" + std::string(kInsert2) +
                       ".Reading diskette 3\n" + kInsert3 + ".." + MainMenuScreen() + "\n");
  EXPECT_EQ(ReadFile(h.out.Sub("work")), kThreeCopied);
  EXPECT_EQ(h.Log(), DisketteLog());
  // The first diskette is read as it is; each later one is asked for
  // after an eject and mounted by volcheck; the last one goes out too.
  EXPECT_EQ(ReadFile(h.out.Sub("floppy/log")),
            "insert /media/d1\neject /media/d1\n"
            "insert /media/d2\nvolcheck mounted /media/d2\neject /media/d2\n"
            "insert /media/d3\nvolcheck mounted /media/d3\neject /media/d3\n");
}

// A wrong diskette is ejected and asked for again with the same number;
// an eject that fails is retried after the operator's key.
TEST(Sources, WrongDisketteAndBusyDrive) {
  SKIP_WITHOUT_COWHOST();
  {
    HostRun h;
    ThreeDiskettes(h);
    RunResult r =
        h.Setup(FloppyInit("--queue /media/d1 /media/d3 /media/d2 /media/d3"),
                "/cow/bin/setup manual", "\n\n\ne\n", ProbeList("work", "/tmp/ZantoInstall"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "..Reading diskette 1\n...Reading diskette 2\n" + std::string(kInsert2) +
                         kInsert2 + ".Reading diskette 3\n" + kInsert3 + ".." + MainMenuScreen() +
                         "\n");
    EXPECT_EQ(ReadFile(h.out.Sub("work")), kThreeCopied);
    EXPECT_EQ(h.Log(), DisketteLog());
  }
  {
    HostRun h;
    ThreeDiskettes(h);
    RunResult r =
        h.Setup(FloppyInit("--fail-ejects 2 --queue /media/d1 /media/d2 /media/d3"),
                "/cow/bin/setup manual", "\n\n\n\ne\n", ProbeList("work", "/tmp/ZantoInstall"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "..Reading diskette 1\n...Reading diskette 2\n" + std::string(kEjectBusy) +
                         kEjectBusy + kInsert2 + ".Reading diskette 3\n" + kInsert3 + ".." +
                         MainMenuScreen() + "\n");
    EXPECT_EQ(ReadFile(h.out.Sub("work")), kThreeCopied);
  }
}

// Nobody left at the terminal: a wait for the operator that meets the end
// of the input ends the program instead of asking forever.
TEST(Sources, EndOfInputWhileWaiting) {
  SKIP_WITHOUT_COWHOST();
  for (const char* options :
       {"--queue /media/d1 /media/d3", "--fail-ejects 1000 --queue /media/d1"}) {
    HostRun h;
    ThreeDiskettes(h);
    RunResult r = h.Setup(FloppyInit(options), "/cow/bin/setup manual", "");
    EXPECT_EQ(r.status, 1) << options;
    // (The busy drive's own complaint comes first.)
    EXPECT_NE(r.err.find("\nsetup: reading from standard input : "), std::string::npos) << r.err;
    EXPECT_LT(r.out.size(), 1000u);
  }
}

TEST(Sources, FirstDisketteWithoutList) {
  SKIP_WITHOUT_COWHOST();
  HostRun h;
  h.Media("d1/setup.hlp", "help\n");
  h.Media("d1/pkg_tar.z1", "piece 1\n");
  RunResult r = h.Setup(FloppyInit("--queue /media/d1"), "/cow/bin/setup", "e\n",
                        ProbeList("work", "/tmp/ZantoInstall"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "ERROR: can't locate install diskette 0\n");
  EXPECT_EQ(ReadFile(h.out.Sub("work")), "missing\n");
  EXPECT_FALSE(h.HasLog());
}

// "~e Exit" returns to the start-up, which cleans the work area.
TEST(Sources, ExitCleansUp) {
  SKIP_WITHOUT_COWHOST();
  HostRun h;
  ThreeDiskettes(h);
  std::string before = FloppyInit("--queue /media/d1 /media/d2 /media/d3") +
                       "echo old > /tmp/SolarisTavrin7315.tar.Z";
  RunResult r = h.Setup(before, "/cow/bin/setup", "\n\ne\n", ProbeList("area", "/tmp"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.substr(r.out.size() - 4), "...\n");
  EXPECT_EQ(ReadFile(h.out.Sub("area")), "setup.log\n");
  EXPECT_EQ(h.Log(), DisketteLog() +
                         "/usr/bin/rm -rf /tmp/ZantoInstall\n"
                         "/usr/bin/rm -rf /tmp/setup.hlp\n"
                         "/usr/bin/rm -rf /tmp/SolarisTavrin7315.tar.Z\n");
}

}  // namespace
