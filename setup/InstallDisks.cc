// The main menu's "Create installation diskettes.": diskette k receives
// the files of line k of the "disks" list.
#include <cstdio>
#include <string>
#include <vector>

#include "SysCmd/SysCmd.h"
#include "setup/setup.h"
#include "utils/utils.h"

#define FLOPPY_DIR "/floppy/floppy0"

int GenInstallDisks(TextMenu*, TextMenuItem*) {
  Name[0] = '\0';
  ChangeDir(pTmpDir);

  WriteMarker(pZantoInstallDir, "diskette");

  DisksLines lines = ReadWorkDisks();
  for (const std::vector<std::string>& words : lines) CheckSources(pZantoInstallDir, words);
  int n = 1;
  for (const std::vector<std::string>& words : lines) {
    std::printf("\nCreating diskette %i ", n);
    std::fflush(stdout);
    while (SysCmd(CMD_EJECT_QUERY, SC_WARN, "%s", "") != 0) {
      std::printf("\nPlease insert DOS formatted diskette (%i) and press enter", n);
      WaitForEnter();
    }
    SysCmd(CMD_VOLCHECK, SC_QUIET, "%s", "");
    SysCmd(CMD_RM, SC_QUIET, FLOPPY_DIR "/*");
    for (const std::string& w : words)
      SysCmd(CMD_CP, SC_FATAL, "%s/%s " FLOPPY_DIR, pZantoInstallDir, w.c_str());
    EjectDiskette();
    ++n;
  }
  return 0;
}
