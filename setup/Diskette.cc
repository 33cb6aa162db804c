// The diskette drive: ejecting the diskette and waiting for one to be
// inserted, with the operator confirming each retry.
#include <cerrno>
#include <cstdio>

#include "SysCmd/SysCmd.h"
#include "setup/setup.h"
#include "utils/utils.h"

void WaitForEnter() {
  std::fflush(stdout);
  CheckInterrupt();
  errno = 0;  // the end of the input sets none; an older error is not the cause
  if (std::getchar() == EOF) InputEnded();
}

void EjectDiskette() {
  while (SysCmd(CMD_EJECT, SC_QUIET, " >> %s/Msg", pZantoInstallDir) != 0) {
    std::printf(
        "Unable to eject diskette.\nPlease exit out of any other application (filemanager, "
        "shell) that may be using the floppy drive. and press enter\n");
    WaitForEnter();
  }
}

void TestDiskette(int number) {
  while (SysCmd(CMD_EJECT_QUERY, SC_QUIET, " >> %s/Msg", pZantoInstallDir) != 0) {
    std::printf("Unable to detect the diskette.\n");
    std::printf("Please insert install diskette %i and press enter\n", number);
    WaitForEnter();
  }
}
