// Creating and removing entries through the runner, and the user's name.
#include <cstdio>
#include <cstring>
#include <string>

#include "MemMgr/MemMgr.h"
#include "SysCmd/CmdLine.h"
#include "SysCmd/SysCmd.h"

void CreateFile(const char* path, const char* name, const char* mode, const char* owner,
                const char* group) {
  if (!FindFile(path, "")) SysCmd(CMD_MKDIR, SC_FATAL, "%s", path);
  const bool named = name && *name;
  std::string target = path;
  if (named) target = target + "/" + name;
  if (named) SysCmd(CMD_TOUCH, SC_FATAL, "%s", target.c_str());
  if (mode) SysCmd(CMD_CHMOD, SC_FATAL, "%s %s", mode, target.c_str());
  if (owner) SysCmd(CMD_CHOWN, SC_FATAL, "%s %s", owner, target.c_str());
  if (group) SysCmd(CMD_CHGRP, SC_FATAL, "%s %s", group, target.c_str());
}

void DeleteFile(const char* path, const char* name) {
  const bool named = name && *name;
  if (!FindFile(path, named ? name : "")) return;
  SysCmd(CMD_RM_RF, SC_WARN, "%s%s%s", path, named ? "/" : "", named ? name : "");
}

char* GetUserName() {
  char* cmd = GetCmd(CMD_WHOAMI);
  if (!cmd) return nullptr;
  std::fflush(stdout);
  FILE* pipe = popen(cmd, "r");
  PutMem(cmd);
  if (!pipe) return nullptr;
  char buf[256];
  const bool got = std::fgets(buf, sizeof buf, pipe) != nullptr;
  pclose(pipe);
  if (!got) return nullptr;
  buf[std::strcspn(buf, "\n\r")] = '\0';
  if (!buf[0]) return nullptr;
  return SaveStr_(buf);
}
