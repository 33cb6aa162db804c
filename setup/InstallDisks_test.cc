// Diskette creation on the command layer's fixture, its shell recording
// each command line and running none: what each diskette gets, without a
// drive.
#include <filesystem>
#include <string>

#include "SysCmd/SysCmdFixture.h"
#include "setup/setup.h"

namespace {

using InstallDisks = SysCmdTest;

TEST_F(InstallDisks, EachDisketteIsEmptiedThenGetsItsLine) {
  for (const char* cmd : {"eject", "volcheck"})
    std::filesystem::create_symlink(FakeBinDir() + "/" + cmd, (scratch_ / "bin/") + cmd);
  ResetSysCmdList();
  InitSysCmdList();
  pSysCmdShell = [](const char* line) { return (gShellLines.push_back(At(line)), 0); };
  std::filesystem::create_directories(scratch_ / "wd");
  WriteFile(scratch_ / "wd/disks", "disks setup.hlp pkg_tar.z1\npkg_tar.z2\n");
  for (const char* f : {"setup.hlp", "pkg_tar.z1", "pkg_tar.z2"})
    WriteFile((scratch_ / "wd/") + f, f);
  const std::string wd = scratch_ / "wd", cwd = std::filesystem::current_path();
  pTmpDir = gScratch.c_str();
  pZantoInstallDir = wd.c_str();
  EXPECT_EQ(Out([] { GenInstallDisks(nullptr, nullptr); }),
            "\nCreating diskette 1 .....\nCreating diskette 2 ..");
  std::filesystem::current_path(cwd);
  pTmpDir = "/tmp";  // the scratch directory goes with the fixture
  pZantoInstallDir = "/tmp/ZantoInstall";
  EXPECT_EQ(gShellLines,
            (Lines{"@/bin/chmod  666 @/t.log >> @/t.log 2>> @/t.log",
                   "@/bin/eject -q  >> @/t.log 2>> @/t.log", "@/bin/volcheck  ",
                   "@/bin/rm -f /floppy/floppy0/*",
                   "@/bin/cp -p @/wd/disks /floppy/floppy0 >> @/t.log 2>> @/t.log",
                   "@/bin/cp -p @/wd/setup.hlp /floppy/floppy0 >> @/t.log 2>> @/t.log",
                   "@/bin/cp -p @/wd/pkg_tar.z1 /floppy/floppy0 >> @/t.log 2>> @/t.log",
                   "@/bin/eject -f  >> @/wd/Msg", "@/bin/eject -q  >> @/t.log 2>> @/t.log",
                   "@/bin/volcheck  ", "@/bin/rm -f /floppy/floppy0/*",
                   "@/bin/cp -p @/wd/pkg_tar.z2 /floppy/floppy0 >> @/t.log 2>> @/t.log",
                   "@/bin/eject -f  >> @/wd/Msg"}));
}

}  // namespace
