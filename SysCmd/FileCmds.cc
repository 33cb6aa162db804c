// Creating and removing entries through the runner, and the user's name.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "MemMgr/MemMgr.h"
#include "SysCmd/CmdLine.h"
#include "SysCmd/SysCmd.h"

void CreateFile(const char* path, const char* name, const char* mode, const char* owner,
                const char* group) {
  // Root's mkdir -p, touch and chmod follow links: every component must
  // be one that no other user can redirect, also the ones mkdir just made.
  RequireSafePath(path);
  if (!FindFile(path, "")) {
    SysCmd(CMD_MKDIR, SC_FATAL, "%s", path);
    RequireSafePath(path);
  }
  const bool named = name && *name;
  std::string target = path;
  if (named) target = target + "/" + name;
  if (named) SysCmd(CMD_TOUCH, SC_FATAL, "%s", target.c_str());
  if (mode) SysCmd(CMD_CHMOD, SC_FATAL, "%s %s", mode, target.c_str());
  if (owner) SysCmd(CMD_CHOWN, SC_FATAL, "%s %s", owner, target.c_str());
  if (group) SysCmd(CMD_CHGRP, SC_FATAL, "%s %s", group, target.c_str());
}

namespace {

// An absolute path whose "." and ".." components lead back to "/".
bool SpellsRoot(const std::string& path) {
  if (path.empty() || path[0] != '/') return false;
  std::vector<std::string> parts;
  size_t pos = 0;
  while (pos < path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(pos, end - pos);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    pos = end + 1;
  }
  return parts.empty();
}

// The entry that rm would act on is the root directory: by its spelling, or
// by being the same directory (a ".." behind a link, a link followed by a
// trailing slash).
bool IsRootDir(const std::string& path) {
  struct stat root, entry;
  return SpellsRoot(path) || (lstat(path.c_str(), &entry) == 0 && stat("/", &root) == 0 &&
                              entry.st_dev == root.st_dev && entry.st_ino == root.st_ino);
}

}  // namespace

void DeleteFile(const char* path, const char* name) {
  const bool named = name && *name;
  const std::string target =
      std::string(path ? path : "") + (named ? "/" : "") + (named ? name : "");
  if (IsRootDir(target)) {
    ErrorMsg(1, 0, "not removing the root directory, %s", target.c_str());
    return;
  }
  if (!FindFile(path, named ? name : "")) return;
  SysCmd(CMD_RM_RF, SC_WARN, "%s", target.c_str());
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
