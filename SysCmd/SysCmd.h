// SysCmd: the command table resolved along PATH, the command runner with
// its echo, log, redirections, failure reports and pauses, and the silent
// capture of command output.
#pragma once

#include <cstdint>

#include "utils/utils.h"

enum {
  CMD_SHELL, CMD_SHELL_LOG, CMD_CAT, CMD_CHGRP, CMD_CHMOD, CMD_CHOWN, CMD_CLEAR,
  CMD_COMPRESS, CMD_CP, CMD_ECHO, CMD_EJECT, CMD_EJECT_QUERY, CMD_FILE, CMD_LP,
  CMD_LPC, CMD_LPR, CMD_LPRM, CMD_LPSTAT, CMD_LS, CMD_KILL, CMD_MV, CMD_MKDIR,
  CMD_MORE, CMD_RM, CMD_RM_RF, CMD_SLEEP, CMD_TAR_CREATE, CMD_TAR_EXTRACT,
  CMD_TOUCH, CMD_UNCOMPRESS, CMD_WHOAMI, CMD_ZCAT, CMD_ACCEPT, CMD_DISABLE,
  CMD_ENABLE, CMD_LPADMIN, CMD_LPFILTER, CMD_LPSCHED, CMD_LPSHUT, CMD_LPSYSTEM,
  CMD_PS, CMD_REJECT, CMD_PMADM, CMD_SACADM, CMD_VOLCHECK, CMD_DF,
};

enum { SC_QUIET = 0, SC_WARN = 1, SC_FATAL = 2 };

struct SysCmdRec {
  const char* pCmd;
  const char* pArgs;
  const char* pPath;  // null until resolved
  int32_t Delay;      // seconds of pause after the command
};

extern SysCmdRec ComList[47];
extern char SearchPaths[60];
extern uint8_t flSysCmdLog;
extern int32_t SysCmdWarnings;  // SC_WARN commands that failed so far in this run

void InitSysCmdList();
int FillCmdPaths(const char* dir);
char* GetCmd(int row);

int SysCmd(int row, int mode, const char* fmt, ...) PRINTF_FMT(3, 4);

struct Response {
  Response* pNext;
  char* pRespLine;
};

Response* GetCmdResponse(int row, const char* filter, const char* fmt, ...)
    PRINTF_FMT(3, 4);
void FreeResponseList(Response* list);
int GetDiskSpace(const char* dir, int64_t* bytes);
char* GetSysPsIdList(const char* name);

void CreateFile(const char* path, const char* name, const char* mode, const char* owner,
                const char* group);
void DeleteFile(const char* path, const char* name);
char* GetUserName();
