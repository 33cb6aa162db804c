// One installer run at a time on a host. Every run shares the work
// directory's name and the log, so a second run would remove the first
// one's work under it. The lock is the kernel's (a write lock on an open
// file), so it ends with the process however the process ends; the file
// stays and is reused. It lives in a directory only root can write to,
// and a file there that is not root's own plain file is never used.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "setup/setup.h"
#include "utils/utils.h"

namespace {

// The first that is a directory only root can change; /etc is on every
// host and root's alone when neither run directory exists.
const char* const kLockDirs[] = {"/run", "/var/run", "/etc"};
const char kLockName[] = "setup-" PACKAGE_NAME ".lock";

int gLockFd = -1;  // held open, and so locked, until the process ends

std::string LockPath() {
  for (const char* dir : kLockDirs) {
    struct stat st;
    std::string bad, why;
    if (stat(dir, &st) == 0 && S_ISDIR(st.st_mode) && SafePath(dir, 0, &bad, &why))
      return std::string(dir) + "/" + kLockName;
  }
  return "";
}

}  // namespace

void TakeRunLock() {
  const std::string path = LockPath();
  if (path.empty()) return;
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  // Only root may make the file: another user's run goes on unlocked, and
  // cannot reach root's files in the work area either.
  if (fd < 0 && errno == EACCES && geteuid() != 0) return;
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != 0 || st.st_nlink != 1 ||
      (st.st_mode & 077))
    ErrorMsg(2, 1, "the lock file %s is not root's own plain file; not used", path.c_str());
  struct flock lock;
  std::memset(&lock, 0, sizeof lock);
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  for (int tries = 0; fcntl(fd, F_SETLK, &lock) != 0; ++tries) {
    if (errno != EACCES && errno != EAGAIN) SysError("can't lock %s", path.c_str());
    struct flock holder = lock;
    if (fcntl(fd, F_GETLK, &holder) != 0) SysError("can't lock %s", path.c_str());
    if (holder.l_type == F_UNLCK && tries < 3) continue;  // it has just ended
    ErrorMsg(2, 1, "another setup is running (process %ld); wait for it to end",
             static_cast<long>(holder.l_pid));
  }
  gLockFd = fd;
}
