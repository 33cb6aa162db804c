// "Create installation diskettes." on the simulated drive of
// tools/floppy, and an installation from the diskettes it wrote.
#include <gmock/gmock.h>

#include <string>

#include "tests/support/SetupRun.h"

namespace {

TEST(Disks, ThreeDiskettesThenInstalledFrom) {
  SKIP_UNLESS_HOST();
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

TEST(Disks, MissingList) {
  SKIP_UNLESS_HOST();
  SetupRun h;
  h.PackageSite(2, "", "setup.hlp pkg_tar.z1\npkg_tar.z2\n");
  RunResult r = h.Sh("floppyctl init /h/floppy --blank 2 >/dev/null && /h/site/setup manual", "3\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: can't open file, ZantoInstall/disks\n");
  // The marker is written before the list is read.
  EXPECT_EQ(h.Inside("/tmp/ZantoInstall/installfrom"), "diskette");
}

}  // namespace
