// Pieces of a command line common to the runner and the output capture.
#include <cstdio>
#include <cstdlib>

#include "SysCmd/CmdLine.h"
#include "SysCmd/SysCmd.h"

void CmdNotFound(int row) {
  const char* cmd = row >= 0 && row < 47 && ComList[row].pCmd ? ComList[row].pCmd : "";
  FatalEnd(1, std::string("ERROR: unable to locate system command '") + cmd + "'\n");
}

std::string CmdPrefix(int row) {
  if (row == CMD_SHELL || row == CMD_SHELL_LOG) return std::string();
  if (row < 0 || row >= 46 || !ComList[row].pPath) CmdNotFound(row);
  const SysCmdRec& rec = ComList[row];
  return ShellQuote(rec.pPath) + "/" + rec.pCmd + " " + rec.pArgs + " ";
}

