// Start-up of the installer: the command line, the work area, the
// free-space check, the choice of the install source and the clean-up.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "tests/SetupHost.h"

using namespace setup_host;

namespace {

const char kSpaceMessage[] =
    "There isn't enough space in %s to perform the installation activities. The temporary work "
    "area should be at least 17000000 bytes. Restart the installation procedure using a work "
    "area that has enough space. \nie: 1. Use /new_work_area_path in place of /tmp\n"
    "    2. Run `setup /new_work_area_path`\n";

std::string SpaceMessage(const std::string& dir) {
  std::string s = kSpaceMessage;
  return s.replace(s.find("%s"), 2, dir);
}

// Needs no copy of the host: the installer stops before it runs anything.
TEST(Startup, MissingWorkAreaStopsBeforeAnything) {
  struct stat before {};
  bool hadLog = stat("/tmp/setup.log", &before) == 0;
  for (auto args : {std::vector<std::string>{"/nonexistent"},
                    std::vector<std::string>{"manual", "/nonexistent"},
                    std::vector<std::string>{"/nonexistent", "manual", "/tmp"}}) {
    RunSpec run;
    run.argv = {SetupProgram()};
    run.argv.insert(run.argv.end(), args.begin(), args.end());
    run.env["PATH"] = FakeBinPath();
    run.env["FAKE_DF_AVAIL"] = "1";  // would refuse, were it asked
    RunResult r = RunProgram(run);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_EQ(r.out, "ERROR: can't locate file, /nonexistent\n");
    EXPECT_EQ(r.err, "");
  }
  struct stat after {};
  bool hasLog = stat("/tmp/setup.log", &after) == 0;
  EXPECT_EQ(hadLog, hasLog);
  if (hadLog && hasLog) {
    EXPECT_EQ(before.st_mtim.tv_sec, after.st_mtim.tv_sec);
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
  }
}

TEST(Startup, MissingWorkAreaInHost) {
  SKIP_WITHOUT_COWHOST();
  HostRun h;
  h.Site("site", "disks pkg_tar.z1\n", {"pkg_tar.z1"});
  RunResult r = h.Setup("", "/media/site/setup /nonexistent", "e\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "ERROR: can't locate file, /nonexistent\n");
  EXPECT_FALSE(h.HasLog());
  EXPECT_EQ(h.Preview(), "");
}

// 16602 KB is 17000448 bytes, just enough; 16601 KB is 16999424.
TEST(Startup, FreeSpaceLimit) {
  SKIP_WITHOUT_COWHOST();
  {
    HostRun h;
    h.env["FAKE_DF_AVAIL"] = "16601";
    h.Site("site", "disks pkg_tar.z1\n", {"pkg_tar.z1"});
    RunResult r = h.Setup("mkdir /big", "/media/site/setup /big", "e\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, SpaceMessage("/big"));
    EXPECT_FALSE(h.HasLog());
    EXPECT_EQ(h.Preview(), "+ d 0755 root root /big\n");
  }
  {
    HostRun h;
    h.env["FAKE_DF_AVAIL"] = "16601";
    h.Site("site", "disks pkg_tar.z1\n", {"pkg_tar.z1"});
    RunResult r = h.Setup("", "/media/site/setup", "e\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, SpaceMessage("/tmp"));
  }
  {
    HostRun h;
    h.env["FAKE_DF_AVAIL"] = "16602";
    h.Site("site", "disks pkg_tar.z1\n", {"pkg_tar.z1"});
    RunResult r = h.Setup("", "/media/site/setup", "e\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.find("There isn't"), std::string::npos);
    EXPECT_EQ(r.out.substr(0, 3), "...");  // log set-up and two copies
  }
}

// The marker beside the program picks the source; a missing marker or a
// lower-case 'd' means diskettes, anything else the site.
TEST(Startup, InstallSourceMarker) {
  SKIP_WITHOUT_COWHOST();
  const std::string diskette = "ERROR: can't locate install diskette 0\n";
  const std::string site = "ERROR: can't open file, /media/site/disks\n\n";
  struct Case {
    std::optional<std::string> marker;
    std::string err;
  } cases[] = {
      {"diskette", diskette}, {"installation site", site}, {"", site},
      {"Diskette", site},     {std::nullopt, diskette},
  };
  for (const Case& c : cases) {
    HostRun h;
    h.MediaSetup("site/setup");
    if (c.marker) h.Media("site/installfrom", *c.marker);
    RunResult r = h.Setup("", "/media/site/setup", "");
    EXPECT_EQ(r.status, 1) << c.marker.value_or("(none)");
    EXPECT_EQ(r.err, c.err) << c.marker.value_or("(none)");
  }
}

// The work area, "manual" in either place, the log staying in /tmp, and
// the clean-up of the work area at the end.
TEST(Startup, WorkAreaAndCleanUp) {
  SKIP_WITHOUT_COWHOST();
  const std::vector<std::string> left = {"/big/ZantoInstall", "/big/setup", "/big/setup.hlp",
                                         "/big/SolarisTavrin7315.tar.Z", "/big/setup.log"};
  struct Case {
    std::string args;
    bool kept;
  } cases[] = {{"/big manual", true}, {"manual /big", true}, {"/big", false}};
  for (const Case& c : cases) {
    HostRun h;
    h.Media("d1/disks", "disks setup.hlp pkg_tar.z1\n");
    h.Media("d1/setup.hlp", "help\n");
    h.Media("d1/pkg_tar.z1", "piece 1\n");
    // The diskette set brings setup.hlp into the work area; the installer
    // and the archive are left there from before.
    std::string before = FloppyInit("--queue /media/d1") +
                         "mkdir /big && echo old > /big/setup && echo old > "
                         "/big/SolarisTavrin7315.tar.Z\n";
    RunResult r = h.Setup(before, "/cow/bin/setup " + c.args, "e\n", ProbeExists("left", left));
    EXPECT_EQ(r.status, 0) << c.args;
    EXPECT_EQ(r.out.substr(r.out.size() - 1), "\n");
    EXPECT_EQ(ReadFile(h.out.Sub("left")), ExpectedProbe({{left[0], c.kept},
                                                          {left[1], c.kept},
                                                          {left[2], c.kept},
                                                          {left[3], c.kept},
                                                          {left[4], false}}))
        << c.args;
    // The log stays in /tmp whatever the work area.
    std::string log = h.Log();
    EXPECT_NE(log.find("/usr/bin/cp -p /floppy/floppy0/setup.hlp .\n"), std::string::npos) << log;
    EXPECT_NE(log.find("/usr/bin/cp -p /floppy/floppy0/pkg_tar.z1 ZantoInstall\n"),
              std::string::npos);
    EXPECT_EQ(log.find("/usr/bin/rm -rf /big/ZantoInstall\n") != std::string::npos, !c.kept);
  }
}

// Without arguments the work area is /tmp; "manual" keeps the files.
TEST(Startup, DefaultWorkArea) {
  SKIP_WITHOUT_COWHOST();
  for (std::string args : {"", " manual", " /tmp manual", " /tmp/ manual"}) {
    bool manual = !args.empty();
    HostRun h;
    h.Site("site", "disks pkg_tar.z1\n", {"pkg_tar.z1"});
    RunResult r =
        h.Setup("", "/media/site/setup" + args, "e\n", ProbeList("work", "/tmp/ZantoInstall"));
    EXPECT_EQ(r.status, 0);
    // A dot for each logged command: log set-up, two copies, the clean-up.
    EXPECT_EQ(r.out, "..." + MainMenuScreen() + (manual ? "" : ".") + "\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadFile(h.out.Sub("work")), manual ? "disks\npkg_tar.z1\n" : "missing\n");
    std::string log =
        "/usr/bin/chmod  666 /tmp/setup.log\n"
        "/usr/bin/cp -p /media/site/disks /tmp/ZantoInstall\n"
        "/usr/bin/cp -p /media/site/pkg_tar.z1 /tmp/ZantoInstall\n";
    if (!manual) log += "/usr/bin/rm -rf /tmp/ZantoInstall\n";
    EXPECT_EQ(h.Log(), log);
  }
}

}  // namespace
