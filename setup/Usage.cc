// setup's own options: the usage and the version, answered before the
// program does anything else (no log, no lock, no command), so that asking
// how to run it changes nothing on the host.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "setup/setup.h"

#ifndef SETUP_VERSION
#define SETUP_VERSION "unknown"
#endif

namespace {

const char kUsage[] =
    "usage: setup [WORK_AREA] [manual]\n"
    "       setup --preview [--preview-out FILE] [WORK_AREA] [manual]\n"
    "       setup --help | -h | --version\n"
    "\n"
    "Installs the Tavrin print driver and utilities for the Zanto 7315 printer\n"
    "(" PACKAGE_NAME ") from the installation diskettes or the installation\n"
    "site that setup is started from, or makes a new site or diskette set from\n"
    "them. Run it as root at a terminal; it asks through a numbered menu.\n"
    "\n"
    "  WORK_AREA    directory the package is copied into, as\n"
    "               WORK_AREA/ZantoInstall (default /tmp); it needs\n"
    "               17000000 bytes free\n"
    "  manual       leave the copied files in the work area at the end\n"
    "  --preview    run as usual, with the same screens, questions and log, but\n"
    "               on a throw-away copy-on-write view of this host; then list\n"
    "               every change the run made there (+ added, ~ changed,\n"
    "               - removed; type, mode, owner, group, path), the log's and\n"
    "               the work area's apart at the end. Nothing changes on the\n"
    "               host, but volcheck and eject still act on the real drive,\n"
    "               and what is written to diskettes lands in the view, not on\n"
    "               them. Needs root and overlay support\n"
    "  --preview-out FILE  also write the list of changes to FILE\n"
    "  -h, --help   print this text and exit\n"
    "  --version    print the name and version and exit\n"
    "\n"
    "Every command setup runs is logged with its output in /tmp/setup.log,\n"
    "whatever the work area.\n"
    "\n"
    "Exit status:\n"
    "  0      normal end\n"
    "  1      a failure: a file that cannot be opened, a command that cannot be\n"
    "         found or fails fatally, a refused list line, a refused unsafe\n"
    "         path, a user other than root, another setup running\n"
    "  2      the work area does not exist\n"
    "  128+N  ended by signal N (SIGINT, SIGTERM, SIGHUP): \"setup: interrupted\"\n"
    "\n"
    "What setup changes on this host and what it refuses: man 8 setup\n";

}  // namespace

void HandleUsageOptions(int argc, char** argv) {
  // Any position: "setup /big --help" asks for help too. A work area that
  // is really called -h can still be given as ./-h.
  for (int i = 1; i < argc && argv[i] != nullptr; i++) {
    const char* text = nullptr;
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
      text = kUsage;
    else if (std::strcmp(argv[i], "--version") == 0)
      text = "setup (" PACKAGE_NAME ") " SETUP_VERSION "\n";
    if (text == nullptr) continue;
    // A closed or full standard output is a failure, not a silent success.
    bool ok = std::fputs(text, stdout) >= 0;
    ok = std::fflush(stdout) == 0 && ok;
    std::exit(ok ? 0 : 1);
  }
}
