// Start-up of the installer: the command line (--help and --version
// among it), the work area, the free-space check, the choice of the install
// source and the clean-up.
#include <gmock/gmock.h>

#include <string>

#include "tests/support/SetupRun.h"

namespace {

using Startup = HostTest;
using Usage = HostTest;

std::string SpaceMessage(const std::string& dir) {
  return "There isn't enough space in " + dir +
         " to perform the installation activities. The temporary work area should be at least "
         "17000000 bytes. Restart the installation procedure using a work area that has enough "
         "space. \nie: 1. Use /new_work_area_path in place of /tmp\n"
         "    2. Run `setup /new_work_area_path`\n";
}

// A missing work area stops before anything runs, even the free-space
// check, and so does one whose work directory's name would not fit a
// path (relative names count as made absolute). 16602 KB (17000448
// bytes) is just enough; 16601 KB is not.
TEST_F(Startup, WorkAreaChecks) {
  const std::string missing = "ERROR: can't locate file, /nonexistent\n";
  // 4082 characters: with "/ZantoInstall" just 4095.
  std::string longest = "/h";
  while (longest.size() < 4082)
    longest += "/" + std::string(std::min<size_t>(200, 4081 - longest.size()), 'd');
  const struct { const char* kb; std::string args, out; int status; } cases[] = {
      {"1", " /nonexistent", missing, 2}, {"1", " manual /nonexistent", missing, 2},
      {"1", " /nonexistent manual /tmp", missing, 2},
      {"16601", " /big", SpaceMessage("/big"), 1},
      {"16601", " " + longest, SpaceMessage(longest), 1},
      {"16601", " " + longest + "d", "ERROR: can't locate file, " + longest + "d\n", 2},
      {"16601", " " + longest.substr(1) + "d/",
       "ERROR: can't locate file, " + longest.substr(1) + "d/\n", 2},
      {"16601", "", SpaceMessage("/tmp"), 1},
      // A dot for each logged command: log set-up, two copies, the clean-up.
      {"16602", "", "..." + std::string(kMainMenu) + ".\n", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.kb) + c.args);
    SetupRun h;
    h.Site("site", "disks pkg_tar.z1\n", {"pkg_tar.z1"});
    ASSERT_EQ(h.Sh("mkdir -p /big " + longest + " " + longest + "d").status, 0);
    RunResult r = h.Sh("/h/site/setup" + c.args, "e\n", {{"FAKE_DF_AVAIL", c.kb}});
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, "");
    if (c.status) {
      EXPECT_EQ(h.Changes(), "+ d 0755 root root /big\n");  // not even a log
    }
  }
}

// The marker beside the program picks the source; a missing marker or a
// lower-case 'd' means diskettes, anything else the site.
TEST_F(Startup, InstallSourceMarker) {
  const std::string diskette = "ERROR: can't locate install diskette 0\n";
  const std::string site = "ERROR: can't open file, /h/site/disks\n\n";
  const std::pair<std::optional<std::string>, std::string> cases[] = {
      {"diskette", diskette}, {"installation site", site}, {"", site}, {"Diskette", site},
      {std::nullopt, diskette}};
  for (const auto& [marker, err] : cases) {
    SCOPED_TRACE(marker.value_or("(none)"));
    SetupRun h;
    h.Site("site", "", {}, marker);
    std::remove(h.Host("site/disks").c_str());
    RunResult r = h.Sh("/h/site/setup");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, err);
  }
}

// The work area and "manual" in either place; the log stays in /tmp and
// the clean-up takes the work area's files unless "manual". The diskette
// brings setup.hlp; the installer and the archive are there from before.
// A relative work area is taken from where the installer starts.
TEST_F(Startup, WorkAreaAndCleanUp) {
  struct Case {
    std::string args, area;
    bool kept;
    std::string from = "/";
  } cases[] = {{"", "/tmp", false},
               {" manual", "/tmp", true},
               {" /tmp/ manual", "/tmp", true},
               {" /big manual", "/big", true},
               {" manual /big", "/big", true},
               {" /big", "/big", false},
               {" work/", "/big/work", false, "/big"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    SetupRun h;
    h.Files("d1", "disks setup.hlp pkg_tar.z1\n", {"setup.hlp", "pkg_tar.z1"});
    h.Sh("floppyctl init /h/floppy --queue /h/d1 && floppyctl sync && mkdir -p " + c.area +
         " && cd " + c.area + " && echo old > setup && echo old > " PKG ".tar.Z");
    RunResult r = h.Sh("cd " + c.from + " && /h/bin/setup" + c.args, "e\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const std::string f = "/usr/bin/cp -p /floppy/floppy0/";
    EXPECT_EQ(h.Log(), kLogStart + f + "setup.hlp .\n" +
                           Lines(f, {"disks", "setup.hlp", "pkg_tar.z1"}, " ZantoInstall") +
                           (c.kept ? ""
                                   : Lines("/usr/bin/rm -rf " + c.area + "/",
                                           {"ZantoInstall", "setup", "setup.hlp", PKG ".tar.Z"})));
    EXPECT_EQ(r.out,
              "..Reading diskette 1\n..." + std::string(kMainMenu) + (c.kept ? "" : "....") + "\n");
    std::string log = c.area == "/tmp" ? "setup.log\n" : "";
    EXPECT_EQ(h.Ls(c.area), c.kept ? PKG ".tar.Z\nZantoInstall\nsetup\nsetup.hlp\n" + log : log);
  }
}

// setup --help, -h and --version: answered on standard output with status
// 0 before anything else happens (no log, no lock, no command run), in any
// position; every other word keeps its old meaning.
TEST_F(Usage, HelpAndVersionChangeNothing) {
  SetupRun h;
  const RunResult help = h.Sh("/h/bin/setup --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(help.out.rfind("usage: setup [WORK_AREA] [manual]\n", 0), 0u) << help.out;
  for (const char* fact : {"manual ", "/tmp/setup.log", "17000000 bytes", "\n  0 ", "\n  1 ",
                           "\n  2      the work area does not exist\n", "\n  128+N ",
                           "setup: interrupted", "man 8 setup\n"})
    EXPECT_NE(help.out.find(fact), std::string::npos) << fact;
  EXPECT_THAT(h.Sh("/h/bin/setup --version").out,
              testing::MatchesRegex("setup \\(" PKG "\\) [0-9]+\\.[0-9]+\\.[0-9]+\n"));
  // Other words still name the work area; an answer that cannot be written
  // is a failure.
  const struct { std::string args; int status; std::string out; } runs[] = {
      {"-h", 0, help.out}, {"/nonexistent --help", 0, help.out},
      {"manual -h /nonexistent", 0, help.out}, {"--version >&-", 1, ""},
      {"--helpme", 2, "ERROR: can't locate file, --helpme\n"},
      {"-H", 2, "ERROR: can't locate file, -H\n"}, {"--", 2, "ERROR: can't locate file, --\n"},
      {"-", 2, "ERROR: can't locate file, -\n"}};
  for (const auto& run : runs) {
    RunResult r = h.Sh("/h/bin/setup " + run.args);
    EXPECT_EQ(r.status, run.status) << run.args;
    EXPECT_EQ(r.out, run.out) << run.args;
  }
  EXPECT_EQ(h.Changes(), "");  // no log, no lock file, nothing removed
}

}  // namespace
