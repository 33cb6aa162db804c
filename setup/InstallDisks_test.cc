// Diskette creation against a shell that records each command line and
// runs none: what each diskette gets, without a drive.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "SysCmd/SysCmd.h"
#include "SysCmd/SysCmdSeam.h"
#include "setup/setup.h"
#include "utils/TestDir.h"

namespace {

std::vector<std::string> gLines;
int Record(const char* line) {
  gLines.push_back(line);
  return 0;
}

TEST(InstallDisks, EachDisketteIsEmptiedThenGetsItsLine) {
  TestDir t;
  // '@' in what is expected stands for the scratch directory.
  auto at = [&](std::string s) {
    for (size_t i; (i = s.find('@')) != std::string::npos;) s.replace(i, 1, t.path());
    return s;
  };
  // Stand-ins, never run: the pause of each command included.
  mkdir((t / "bin").c_str(), 0755);
  for (const char* cmd : {"chmod", "eject", "volcheck", "rm", "cp", "sleep"})
    chmod(t.Write("bin/" + std::string(cmd), "").c_str(), 0755);
  mkdir((t / "wd").c_str(), 0700);
  t.Write("wd/disks", "disks setup.hlp pkg_tar.z1\npkg_tar.z2\n");
  for (const char* f : {"setup.hlp", "pkg_tar.z1", "pkg_tar.z2"})
    t.Write("wd/" + std::string(f), f);
  static char name[] = "t";
  const std::string bin = t / "bin", wd = t / "wd";
  const std::string path = std::getenv("PATH"), cwd = std::filesystem::current_path();
  ResetSysCmdList();
  setenv("PATH", bin.c_str(), 1);
  InitSysCmdList();
  int (*const shell)(const char*) = pSysCmdShell;
  pSysCmdShell = Record;
  my_name = name;
  pLogPath = pTmpDir = t.path().c_str();
  pZantoInstallDir = wd.c_str();
  testing::internal::CaptureStdout();
  GenInstallDisks(nullptr, nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "\nCreating diskette 1 .....\nCreating diskette 2 ..");
  std::vector<std::string> want;
  for (const char* l :
       {"@/bin/chmod  666 @/t.log >> @/t.log 2>> @/t.log", "@/bin/eject -q  >> @/t.log 2>> @/t.log",
        "@/bin/volcheck  ", "@/bin/rm -f /floppy/floppy0/*",
        "@/bin/cp -p @/wd/disks /floppy/floppy0 >> @/t.log 2>> @/t.log",
        "@/bin/cp -p @/wd/setup.hlp /floppy/floppy0 >> @/t.log 2>> @/t.log",
        "@/bin/cp -p @/wd/pkg_tar.z1 /floppy/floppy0 >> @/t.log 2>> @/t.log",
        "@/bin/eject -f  >> @/wd/Msg", "@/bin/eject -q  >> @/t.log 2>> @/t.log", "@/bin/volcheck  ",
        "@/bin/rm -f /floppy/floppy0/*",
        "@/bin/cp -p @/wd/pkg_tar.z2 /floppy/floppy0 >> @/t.log 2>> @/t.log",
        "@/bin/eject -f  >> @/wd/Msg"})
    want.push_back(at(l));
  EXPECT_EQ(gLines, want);
  ResetSysCmdList();
  pSysCmdShell = shell;
  pLogPath = ".";
  setenv("PATH", path.c_str(), 1);
  std::filesystem::current_path(cwd);
}

}  // namespace
