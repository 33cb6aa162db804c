// "Create installation diskettes.", whole program, on the simulated drive
// of tools/floppy, and an installation from the diskettes it wrote.
#include <string>

#include "tests/install_host.h"

namespace {

// Names in an image directory, sorted, one a line.
std::string Listing(InstallHost& h, const std::string& image) {
  h.Sh("ls -A floppy/" + image + " > listing");
  return ReadFile(h.Host("listing"));
}

TEST(Disks, ThreeDiskettesThenInstalledFrom) {
  SKIP_UNLESS_HOST();
  InstallHost h;
  h.MakePackage(3);
  h.MakeSite(
      "disks setup setup.hlp installfrom pkg_tar.z1\npkg_tar.z2\n\npkg_tar.z3\nend_of_list\n"
      "pkg_tar.z9\n");
  // Three blank diskettes, the first one in the drive, the second holding
  // an old file.
  HostRun r = h.Run("/bin/sh",
                    {"-c",
                     "floppyctl init /h8/floppy --blank 3 >/dev/null && echo old > "
                     "/h8/floppy/disk2/old && exec /h8/site/setup",
                     "setup"},
                    "3\n\n\ne\n");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(Count(r.out, "\nCreating diskette "), 3u) << r.out;
  size_t one = r.out.find("\nCreating diskette 1 ");
  size_t two = r.out.find("\nCreating diskette 2 ");
  size_t three = r.out.find("\nCreating diskette 3 ");
  ASSERT_NE(one, std::string::npos) << r.out;
  EXPECT_LT(one, two);
  EXPECT_LT(two, three);
  // The first diskette is in the drive already; the others are asked for.
  EXPECT_EQ(Count(r.out, "\nPlease insert DOS formatted diskette (1) and press enter"), 0u);
  EXPECT_EQ(Count(r.out, "\nPlease insert DOS formatted diskette (2) and press enter"), 1u);
  EXPECT_EQ(Count(r.out, "\nPlease insert DOS formatted diskette (3) and press enter"), 1u);
  EXPECT_EQ(Count(r.out, "Install Print Driver and Utilities"), 2u) << r.out;

  EXPECT_EQ(Listing(h, "disk1"), "disks\ninstallfrom\npkg_tar.z1\nsetup\nsetup.hlp\n");
  EXPECT_EQ(Listing(h, "disk2"), "pkg_tar.z2\n");
  EXPECT_EQ(Listing(h, "disk3"), "pkg_tar.z3\n");
  // The marker was written before the list's files were copied.
  EXPECT_EQ(ReadFile(h.Host("floppy/disk1/installfrom")), "diskette");
  EXPECT_EQ(ReadFile(h.Host("floppy/disk3/pkg_tar.z3")), ReadFile(h.Host("site/pkg_tar.z3")));

  // The diskettes in the drive one after the other; the installer started
  // from the first one reads them all and installs.
  r = h.Run("/bin/sh",
            {"-c",
             "floppyctl init /h8/drive2 --queue /h8/floppy/disk1 /h8/floppy/disk2 "
             "/h8/floppy/disk3 >/dev/null && floppyctl sync /h8/drive2 && cd / && "
             "exec /floppy/floppy0/setup",
             "setup"},
            "\n\n1\n\ny\n", {{"FLOPPY_STATE", "/h8/drive2"}});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("Reading diskette 3\n"), std::string::npos) << r.out;
  EXPECT_EQ(h.Inside("/opt/Zanto/7315/setup7315.ran"), "setup7315 update\ncwd /opt/Zanto/7315\n");
  EXPECT_NE(InstallHost::Changes(r, "/opt/Zanto/7315/ZantoPrint7315Tty").find("+ f 4755"),
            std::string::npos);
}

TEST(Disks, MissingList) {
  SKIP_UNLESS_HOST();
  InstallHost h;
  h.MakePackage();
  h.MakeSite("setup.hlp pkg_tar.z1\npkg_tar.z2\n");
  HostRun r = h.Run(
      "/bin/sh",
      {"-c", "floppyctl init /h8/floppy --blank 2 >/dev/null && exec /h8/site/setup", "setup"},
      "3\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: can't open file, ZantoInstall/disks\n");
  // The marker is written before the list is read.
  EXPECT_EQ(h.Inside("/tmp/ZantoInstall/installfrom"), "diskette");
}

}  // namespace
