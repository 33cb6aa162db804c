// Deciding whether root may act on a path, component by component, and the
// files root makes for itself where others can write.
//
// A path is trusted when no other user can change where it leads: every
// component that exists is a directory, or a link, owned by root or by the
// user the program runs as, and no directory on the way lets others
// replace its entries (writable by them without the sticky bit). Links are
// followed and their targets walked by the same rules, so an
// administrator's /opt/Zanto -> /export/Zanto is accepted and a link that
// someone planted in /tmp is not. Components that do not exist yet are left
// for the caller, which creates them and asks again.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <string>

#include "utils/utils.h"

namespace {

// Beyond this many links a path is looping, or built to wear the walk out.
constexpr int kMaxLinks = 40;

bool Trusted(uid_t owner, uid_t trusted) { return owner == 0 || owner == trusted; }

// Group root is root's own.
bool OthersMayWrite(const struct stat& dir) {
  return (dir.st_mode & S_IWOTH) || ((dir.st_mode & S_IWGRP) && dir.st_gid != 0);
}

// Others may remove or rename any entry of a directory they can write to,
// unless its sticky bit keeps them to their own entries.
bool OthersMayReplace(const struct stat& dir) {
  return OthersMayWrite(dir) && !(dir.st_mode & S_ISVTX);
}

void Split(const std::string& path, std::deque<std::string>* parts, bool front) {
  std::deque<std::string> got;
  size_t i = 0;
  while (i <= path.size()) {
    size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    if (j > i) got.push_back(path.substr(i, j - i));
    i = j + 1;
  }
  if (front)
    parts->insert(parts->begin(), got.begin(), got.end());
  else
    parts->insert(parts->end(), got.begin(), got.end());
}

std::string Join(const std::string& dir, const std::string& name) {
  return dir == "/" ? "/" + name : dir + "/" + name;
}

std::string Parent(const std::string& dir) {
  size_t slash = dir.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : dir.substr(0, slash);
}

bool Refuse(std::string* bad, std::string* why, const std::string& component,
            const std::string& reason) {
  if (bad) *bad = component;
  if (why) *why = reason;
  return false;
}

std::string Unreadable() { return std::string("not readable: ") + std::strerror(errno); }

std::string OwnedBy(const char* what, uid_t uid) {
  return std::string(what) + " owned by uid " + std::to_string(uid);
}

}  // namespace

bool SafePath(const char* path, uid_t trusted, std::string* bad, std::string* why) {
  if (!path || path[0] != '/') return Refuse(bad, why, path ? path : "", "not a full path");
  std::deque<std::string> todo;
  Split(path, &todo, false);
  std::string at = "/";  // the physical directory reached so far
  struct stat st;
  if (lstat("/", &st) != 0) return Refuse(bad, why, "/", Unreadable());
  if (!Trusted(st.st_uid, trusted)) return Refuse(bad, why, "/", OwnedBy("a directory", st.st_uid));
  struct stat dir = st;
  int links = 0;
  while (!todo.empty()) {
    std::string part = todo.front();
    todo.pop_front();
    if (part == ".") continue;
    if (part == "..") {
      at = Parent(at);
      if (lstat(at.c_str(), &dir) != 0) return Refuse(bad, why, at, Unreadable());
      continue;
    }
    if (OthersMayReplace(dir)) return Refuse(bad, why, at, "a directory others can write to");
    const std::string next = Join(at, part);
    if (lstat(next.c_str(), &st) != 0) {
      if (errno == ENOENT) return true;  // the rest is the caller's to create
      return Refuse(bad, why, next, Unreadable());
    }
    if (S_ISLNK(st.st_mode)) {
      if (!Trusted(st.st_uid, trusted)) return Refuse(bad, why, next, OwnedBy("a link", st.st_uid));
      if (++links > kMaxLinks) return Refuse(bad, why, next, "too many levels of links");
      char target[4096];
      ssize_t n = readlink(next.c_str(), target, sizeof target - 1);
      if (n <= 0)
        return Refuse(bad, why, next, n < 0 ? Unreadable() : std::string("an empty link"));
      target[n] = '\0';
      if (target[0] == '/') {
        at = "/";
        if (lstat("/", &dir) != 0) return Refuse(bad, why, "/", Unreadable());
      }
      Split(target, &todo, true);
      continue;
    }
    if (!S_ISDIR(st.st_mode)) return Refuse(bad, why, next, "not a directory");
    if (!Trusted(st.st_uid, trusted))
      return Refuse(bad, why, next, OwnedBy("a directory", st.st_uid));
    at = next;
    dir = st;
  }
  if (OthersMayReplace(dir)) return Refuse(bad, why, at, "a directory others can write to");
  return true;
}

void RequireSafePath(const char* path) {
  std::string bad, why;
  if (!SafePath(path, geteuid(), &bad, &why))
    ErrorMsg(2, 1, "unsafe path %s: %s is %s", path, bad.c_str(), why.c_str());
}

bool IsOwnFile(const char* path) {
  struct stat st;
  return lstat(path, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_uid == geteuid();
}

bool OthersCanWrite(const char* dir) {
  struct stat st;
  return lstat(dir, &st) != 0 || OthersMayWrite(st);
}

void MakeOwnFile(const char* dir, const char* name) {
  if (!OthersCanWrite(dir)) return;
  const std::string path = Join(dir, name);
  // Someone may be putting an entry back as fast as it goes; each round
  // removes theirs and tries the exclusive create again.
  for (int round = 0; round < 1000; ++round) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      close(fd);
      return;
    }
    if (errno != EEXIST) break;
    if (unlink(path.c_str()) != 0 && errno != ENOENT && rmdir(path.c_str()) != 0 && errno != ENOENT)
      break;
  }
  ErrorMsg(2, 1, "can't make %s a new file of this program: %s", path.c_str(),
           std::strerror(errno));
}
