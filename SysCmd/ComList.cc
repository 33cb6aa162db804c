// The command table and its resolution along PATH and the fixed list.
#include <cstring>

#include "MemMgr/MemMgr.h"
#include "SysCmd/CmdLine.h"
#include "SysCmd/SysCmd.h"
#include "SysCmd/SysCmdSeam.h"

SysCmdRec ComList[47] = {
    {"", "", nullptr, 1},              // CMD_SHELL
    {"", "", nullptr, 1},              // CMD_SHELL_LOG
    {"cat", "", nullptr, 1},           // CMD_CAT
    {"chgrp", "", nullptr, 1},         // CMD_CHGRP
    {"chmod", "", nullptr, 1},         // CMD_CHMOD
    {"chown", "", nullptr, 1},         // CMD_CHOWN
    {"clear", "", nullptr, 0},         // CMD_CLEAR
    {"compress", "", nullptr, 1},      // CMD_COMPRESS
    {"cp", "-p", nullptr, 1},          // CMD_CP
    {"echo", "", nullptr, 1},          // CMD_ECHO
    {"eject", "-f", nullptr, 1},       // CMD_EJECT
    {"eject", "-q", nullptr, 1},       // CMD_EJECT_QUERY
    {"file", "", nullptr, 0},          // CMD_FILE
    {"lp", "", nullptr, 1},            // CMD_LP
    {"lpc", "", nullptr, 1},           // CMD_LPC
    {"lpr", "", nullptr, 1},           // CMD_LPR
    {"lprm", "", nullptr, 1},          // CMD_LPRM
    {"lpstat", "", nullptr, 1},        // CMD_LPSTAT
    {"ls", "", nullptr, 1},            // CMD_LS
    {"kill", "-KILL", nullptr, 1},     // CMD_KILL
    {"mv", "-f", nullptr, 1},          // CMD_MV
    {"mkdir", "-p", nullptr, 1},       // CMD_MKDIR
    {"more", "", nullptr, 1},          // CMD_MORE
    {"rm", "-f", nullptr, 1},          // CMD_RM
    {"rm", "-rf", nullptr, 1},         // CMD_RM_RF
    {"sleep", "", nullptr, 0},         // CMD_SLEEP
    {"tar", "cvfp", nullptr, 1},       // CMD_TAR_CREATE
    {"tar", "xvfp", nullptr, 1},       // CMD_TAR_EXTRACT
    {"touch", "", nullptr, 1},         // CMD_TOUCH
    {"uncompress", "", nullptr, 1},    // CMD_UNCOMPRESS
    {"whoami", "", nullptr, 1},        // CMD_WHOAMI
    {"zcat", "", nullptr, 1},          // CMD_ZCAT
    {"accept", "", nullptr, 1},        // CMD_ACCEPT
    {"disable", "", nullptr, 1},       // CMD_DISABLE
    {"enable", "", nullptr, 1},        // CMD_ENABLE
    {"lpadmin", "", nullptr, 1},       // CMD_LPADMIN
    {"lpfilter", "", nullptr, 1},      // CMD_LPFILTER
    {"lpsched", "", nullptr, 1},       // CMD_LPSCHED
    {"lpshut", "", nullptr, 1},        // CMD_LPSHUT
    {"lpsystem", "", nullptr, 1},      // CMD_LPSYSTEM
    {"ps", "-e", nullptr, 1},          // CMD_PS
    {"reject", "", nullptr, 1},        // CMD_REJECT
    {"pmadm", "", nullptr, 1},         // CMD_PMADM
    {"sacadm", "", nullptr, 1},        // CMD_SACADM
    {"volcheck", "", nullptr, 1},      // CMD_VOLCHECK
    {"df", "-k", nullptr, 0},          // CMD_DF
    {nullptr, nullptr, nullptr, 0},    // end row
};

static const char kSearchPaths[] = "/usr/bin:/usr/ucb:/usr/sbin:/bin:/sbin:/usr/lib:/usr/lib/lp";
static_assert(sizeof kSearchPaths == 60);

// Cut in place by the tokenizer; resolved rows point into it.
char SearchPaths[60] = "/usr/bin:/usr/ucb:/usr/sbin:/bin:/sbin:/usr/lib:/usr/lib/lp";

uint8_t flSysCmdLog = 0;

// The PATH copy that resolved rows may point into; kept for the run.
static char* pPathCopy = nullptr;

int FillCmdPaths(const char* dir) {
  char* list = GetDirFileList(dir);
  if (!list) return 1;
  int missing = 0;
  for (int row = 2; ComList[row].pCmd && *ComList[row].pCmd; ++row) {
    SysCmdRec& rec = ComList[row];
    if (!rec.pPath && FindToken(rec.pCmd, list)) rec.pPath = dir;
    if (!rec.pPath) missing = 1;
  }
  PutMem(list);
  return missing;
}

// Offers each directory of a colon list in turn; 0 once all rows are found.
static int SearchDirList(char* dirs) {
  for (char* dir = GetTokenParse(dirs, ":"); dir; dir = GetTokenParse(nullptr, ":")) {
    const char* resume = szTokenIn;
    char del = chTokenDel;
    if (FillCmdPaths(dir) == 0) return 0;
    SetTokenBuf(resume);  // the listing must not disturb the scan
    chTokenDel = del;
  }
  return 1;
}

void InitSysCmdList() {
  pPathCopy = GetEnv("PATH");
  int missing = 1;
  if (pPathCopy) missing = SearchDirList(pPathCopy);
  if (missing) SearchDirList(SearchPaths);
  flSysCmdLog = 1;
}

char* GetCmd(int row) {
  if (row < 0 || row >= 46 || !ComList[row].pPath) return nullptr;
  const SysCmdRec& rec = ComList[row];
  return SaveStr_((ShellQuote(rec.pPath) + "/" + rec.pCmd + " " + rec.pArgs).c_str());
}

void ResetSysCmdList() {
  for (SysCmdRec& rec : ComList) rec.pPath = nullptr;
  std::memcpy(SearchPaths, kSearchPaths, sizeof SearchPaths);
  PutMem(pPathCopy);
  pPathCopy = nullptr;
  flSysCmdLog = 0;
  flLogBroken = false;
}
