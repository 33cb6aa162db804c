// What tar unpacked, checked before anything is installed from it. tar
// runs as root and keeps the archive's types, modes and owners, so a
// careless or hostile archive could leave a link where a driver file
// should be (root would then copy what it points to), open the work
// directory to everyone (someone could swap setup7315 before root runs
// it), or keep a user's files that root then installs as they are.
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "SysCmd/SysCmd.h"
#include "setup/setup.h"
#include "utils/utils.h"

namespace {

bool gForeignOwner;  // an entry that is not root's, seen by the walk

int NoteOwner(const char*, const struct stat* st, int, struct FTW*) {
  if (st->st_uid != 0 || st->st_gid != 0) gForeignOwner = true;
  return 0;
}

// A second name would make root install a copy of whatever file it names.
int CheckEntry(const char* path, const struct stat* st, int, struct FTW*) {
  if (!S_ISDIR(st->st_mode) && !(S_ISREG(st->st_mode) && st->st_nlink == 1))
    ErrorMsg(2, 1, "the package holds %s, which is neither a file nor a directory", path);
  return 0;
}

// Only root may write to the directories that the installation reads from.
void CheckOnlyRootWrites(const std::string& dir) {
  struct stat st;
  if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid() ||
      (st.st_mode & (S_IWGRP | S_IWOTH)))
    ErrorMsg(2, 1, "%s is not a directory that only this user can write to; the archive changed it",
             dir.c_str());
}

void Walk(const std::string& dir, int (*fn)(const char*, const struct stat*, int, struct FTW*)) {
  if (nftw(dir.c_str(), fn, 16, FTW_PHYS) != 0)
    SysError("can't read the unpacked package %s", dir.c_str());
}

}  // namespace

void CheckUnpacked() {
  const std::string pkg = std::string(pZantoInstallDir) + "/pkg";
  CheckOnlyRootWrites(pZantoInstallDir);
  struct stat st;
  if (lstat(pkg.c_str(), &st) != 0 && errno == ENOENT) return;  // the list reader says so
  // Owners and groups come from the package list alone. Given to root
  // first, so that the archive's users can change nothing after the check.
  gForeignOwner = false;
  Walk(pkg, NoteOwner);
  if (gForeignOwner) SysCmd(CMD_CHOWN, SC_FATAL, "-R 0:0 %s", pkg.c_str());
  CheckOnlyRootWrites(pkg);
  Walk(pkg, CheckEntry);
}
