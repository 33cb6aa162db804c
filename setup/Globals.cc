// The installer's work area and work directory; start-up replaces both
// when a work area is named on the command line.
#include "setup/setup.h"

const char* pTmpDir = "/tmp";
const char* pZantoInstallDir = "/tmp/ZantoInstall";
uint8_t flWorkDirMade = 0;
uint8_t flRunRefused = 0;
int32_t InstallWarnings = 0;
