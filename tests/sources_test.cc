// The install sources: an installation site, and a set of diskettes in
// the simulated drive with the operator answering at the terminal.
#include <string>

#include "tests/support/SetupRun.h"

namespace {

// Started from the work area itself, the site operation first removes
// the work area's setup and setup.hlp: its own files. An old work
// directory goes too.
TEST(Sources, SiteIsTheWorkArea) {
  SKIP_UNLESS_HOST();
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
// error text). A first diskette without the list is refused.
TEST(Sources, Diskettes) {
  SKIP_UNLESS_HOST();
  const std::string
      insert2 = "Please insert install diskette 2 and press enter\n",
      insert3 = "Please insert install diskette 3 and press enter\n",
      busy =
          "Unable to eject diskette.\nPlease exit out of any other application "
          "(filemanager, shell) that may be using the floppy drive. and press enter\n",
      one = "..Reading diskette 1\n...Reading diskette 2\n",
      eof = "\nsetup: reading from standard input: end of input\n",
      end = ".Reading diskette 3\n" + insert3 + ".." + kMainMenu;
  struct Case {
    std::string drive, args, input, out, err;  // err: a part of it when the run fails
    int status;
  } cases[] = {
      {"--queue /h/d1 /h/d2 /h/d3", "", "\n\ne\n", one + insert2 + end + "...\n", "", 0},
      {"--queue /h/d1 /h/d3 /h/d2 /h/d3", " manual", "\n\n\ne\n",
       one + insert2 + insert2 + end + "\n", "", 0},
      {"--fail-ejects 2 --queue /h/d1 /h/d2 /h/d3", " manual", "\n\n\n\ne\n",
       one + busy + busy + insert2 + end + "\n", "eject: Device busy\neject: Device busy\n", 0},
      {"--queue /h/d1", " manual", "\n", one + insert2 + insert2, eof, 1},
      {"--fail-ejects 1000 --queue /h/d1", " manual", "", one + busy, eof, 1},
      {"--queue /h/d0", "", "e\n", "", "ERROR: can't locate install diskette 0\n", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.drive);
    SetupRun h;
    // The first diskette's list names the files of d2 and d3 too; d0 has no list.
    h.Files("d1", "disks setup.hlp pkg_tar.z1\npkg_tar.z2\npkg_tar.z3 extra\n",
            {"setup.hlp", "pkg_tar.z1", "../d2/pkg_tar.z2", "../d3/pkg_tar.z3", "../d3/extra",
             "../d0/setup.hlp"});
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

}  // namespace
