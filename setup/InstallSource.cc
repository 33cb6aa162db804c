// The two install sources: a set of installation diskettes, or the
// installation site the installer was started from. Each fills the work
// directory with the files the medium's "disks" list names and then runs
// the main menu.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "SysCmd/SysCmd.h"
#include "setup/setup.h"
#include "utils/utils.h"

static const char kFloppy[] = "/floppy/floppy0";

// A copy into a work directory that is missing, or is a file, would
// overwrite one file with each piece in turn: stop before that. One left
// in place must be as safe as a new one: root's, and no link or directory
// on its way that someone else could redirect.
static void MakeWorkDir(const char* path) {
  if (mkdir(path, 0777) != 0 && errno != EEXIST) SysError("can't create directory %s", path);
  RequireSafePath(path);
  flWorkDirMade = 1;
}

int InstallFromDiskette(TextMenu*, TextMenuItem*) {
  // The copies below name the work directory relative to the work area.
  if (chdir(pTmpDir) != 0) SysError("can't change directory to %s", pTmpDir);
  if (!FindFile(kFloppy, "disks")) {
    FatalEnd(1, "ERROR: can't locate install diskette 0\n");
  }
  // The list is checked before anything is copied.
  if (!GetFileContent(kFloppy, "disks")) ErrorMsg(2, 1, "can't open file, /floppy/floppy0/disks\n");
  DisksLines lines = LoadDisksList("/floppy/floppy0/disks", false);

  MakeOwnFile(pTmpDir, "setup.hlp");
  SysCmd(CMD_CP, SC_FATAL, "/floppy/floppy0/setup.hlp .");
  DeleteFile(pTmpDir, "ZantoInstall");
  MakeWorkDir(pZantoInstallDir);

  int number = 1;
  for (const std::vector<std::string>& names : lines) {
    char piece[32];
    std::snprintf(piece, sizeof piece, "pkg_tar.z%i", number);
    std::printf("Reading diskette %i\n", number);
    std::fflush(stdout);
    // The diskette is known by its piece; any other one goes back out.
    while (!FindFile(kFloppy, piece)) {
      EjectDiskette();
      std::printf("Please insert install diskette %i and press enter\n", number);
      WaitForEnter();
      SysCmd(CMD_VOLCHECK, SC_QUIET, "%s", "");
    }
    for (const std::string& name : names)
      SysCmd(CMD_CP, SC_FATAL, "/floppy/floppy0/%s ZantoInstall", name.c_str());
    number++;
  }
  EjectDiskette();

  RunMenu(&MainMenu, nullptr, 1);
  return 0;
}

int InstallFromSite(TextMenu*, TextMenuItem*) {
  flSysCmdLog = 1;
  DeleteFile(pTmpDir, "ZantoInstall");
  MakeWorkDir(pZantoInstallDir);
  if (FindFile(pTmpDir, "setup")) SysCmd(CMD_RM, SC_QUIET, " %s/setup", pTmpDir);
  if (FindFile(pTmpDir, "setup.hlp")) SysCmd(CMD_RM, SC_QUIET, " %s/setup.hlp", pTmpDir);

  if (!GetFileContent(pToolPath, "disks")) ErrorMsg(2, 1, "can't open file, %s/disks\n", pToolPath);
  char listPath[4096];
  std::snprintf(listPath, sizeof listPath, "%s/disks", pToolPath);
  DisksLines lines = LoadDisksList(listPath, true);

  for (const std::vector<std::string>& names : lines)
    for (const std::string& name : names)
      SysCmd(CMD_CP, SC_FATAL, "%s/%s %s", pToolPath, name.c_str(), pZantoInstallDir);

  RunMenu(&MainMenu, nullptr, 1);
  return 0;
}
