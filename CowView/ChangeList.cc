// The list of changes: each changed layer of an overlay compared with what
// the host has below it. An entry of the changed layer that the host
// lacks was added; one the host has is changed when its type, mode,
// owner, group, link target, device or (for a file) contents differ; a
// host entry that the merged view no longer shows was removed, with
// everything below it. Whiteouts only hide; what they hide is found by
// the last rule.
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "CowView/CowView.h"

namespace {

using Lines = std::vector<std::pair<std::string, std::string>>;  // path, line

std::string Join(const std::string& dir, const std::string& name) {
  if (name.empty()) return dir;
  return dir == "/" ? "/" + name : dir + "/" + name;
}

bool Lstat(const std::string& path, struct stat* st) { return lstat(path.c_str(), st) == 0; }

std::vector<std::string> Children(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = opendir(dir.c_str());
  if (!d) return names;
  while (struct dirent* e = readdir(d))
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
      names.emplace_back(e->d_name);
  closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

char TypeLetter(mode_t mode) {
  if (S_ISDIR(mode)) return 'd';
  if (S_ISLNK(mode)) return 'l';
  if (S_ISCHR(mode)) return 'c';
  if (S_ISBLK(mode)) return 'b';
  if (S_ISFIFO(mode)) return 'p';
  if (S_ISSOCK(mode)) return 's';
  return 'f';
}

std::string UserName(uid_t uid) {
  struct passwd* pw = getpwuid(uid);
  return pw ? pw->pw_name : std::to_string(uid);
}

std::string GroupName(gid_t gid) {
  struct group* gr = getgrgid(gid);
  return gr ? gr->gr_name : std::to_string(gid);
}

std::string LinkTarget(const std::string& path) {
  char buf[4096];
  ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
  return n < 0 ? "" : std::string(buf, static_cast<size_t>(n));
}

// "TYPE MODE OWNER GROUP".
std::string Attrs(const struct stat& st) {
  char mode[8];
  std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
  return std::string(1, TypeLetter(st.st_mode)) + " " + mode + " " + UserName(st.st_uid) + " " +
         GroupName(st.st_gid);
}

std::string RelChild(const std::string& rel, const std::string& name) {
  return rel.empty() ? name : rel + "/" + name;
}

bool IsWhiteout(const struct stat& st) {
  return S_ISCHR(st.st_mode) && st.st_rdev == makedev(0, 0);
}

bool SameContents(const std::string& a, const std::string& b) {
  int fa = open(a.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  int fb = open(b.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  bool same = fa >= 0 && fb >= 0;
  char x[65536], y[65536];
  while (same) {
    ssize_t n = read(fa, x, sizeof x), m = read(fb, y, sizeof y);
    if (n != m || n < 0) same = false;
    if (!same || n <= 0) break;
    same = std::memcmp(x, y, static_cast<size_t>(n)) == 0;
  }
  if (fa >= 0) close(fa);
  if (fb >= 0) close(fb);
  return same;
}

bool IsBelow(const std::string& path, const std::string& dir) {
  return path == dir || (path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0 &&
                         (dir == "/" || path[dir.size()] == '/'));
}

class Walk {
 public:
  Walk(const ChangeLayer& layer, const std::vector<std::string>& excludes, Lines* out)
      : layer_(layer), excludes_(excludes), out_(out) {}

  void Run() {
    RemovedChildren("");
    Below("");
  }

 private:
  std::string Host(const std::string& rel) const { return Join(layer_.lower, rel); }
  std::string Path(const std::string& rel) const { return Join(layer_.mount, rel); }
  std::string Upper(const std::string& rel) const { return Join(layer_.upper, rel); }
  std::string View(const std::string& rel) const { return Join(layer_.view, rel); }

  bool Excluded(const std::string& path) const {
    for (const std::string& e : excludes_)
      if (IsBelow(path, e)) return true;
    return false;
  }

  // The line names the host path; its attributes come from where they are.
  void Emit(char op, const std::string& rel, const std::string& from) {
    struct stat st;
    const std::string path = Path(rel);
    if (!Lstat(from, &st) || Excluded(path)) return;
    std::string line = std::string(1, op) + " " + Attrs(st) + " " + path;
    if (S_ISLNK(st.st_mode)) line += " -> " + LinkTarget(from);
    out_->emplace_back(path, line);
  }

  // The host entry rel and everything below it are gone.
  void RemovedTree(const std::string& rel) {
    Emit('-', rel, Host(rel));
    struct stat st;
    if (!Lstat(Host(rel), &st) || !S_ISDIR(st.st_mode)) return;
    for (const std::string& c : Children(Host(rel))) RemovedTree(RelChild(rel, c));
  }

  // Host entries of directory rel that the view no longer shows.
  void RemovedChildren(const std::string& rel) {
    struct stat st;
    if (!Lstat(Host(rel), &st) || !S_ISDIR(st.st_mode)) return;
    for (const std::string& c : Children(Host(rel))) {
      const std::string child = RelChild(rel, c);
      struct stat v;
      if (!Lstat(View(child), &v)) RemovedTree(child);
    }
  }

  void Below(const std::string& rel) {
    for (const std::string& c : Children(Upper(rel))) {
      const std::string child = RelChild(rel, c);
      struct stat up, host;
      if (!Lstat(Upper(child), &up) || IsWhiteout(up)) continue;
      if (!Lstat(Host(child), &host)) {
        Emit('+', child, Upper(child));
      } else {
        if (!Same(child, up, host)) Emit('~', child, Upper(child));
        if (S_ISDIR(host.st_mode)) {
          if (S_ISDIR(up.st_mode))
            RemovedChildren(child);
          else
            for (const std::string& g : Children(Host(child))) RemovedTree(RelChild(child, g));
        }
      }
      if (S_ISDIR(up.st_mode)) Below(child);
    }
  }

  bool Same(const std::string& rel, const struct stat& up, const struct stat& host) const {
    if (Attrs(up) != Attrs(host)) return false;
    if (S_ISLNK(up.st_mode)) return LinkTarget(Upper(rel)) == LinkTarget(Host(rel));
    if (S_ISREG(up.st_mode))
      return up.st_size == host.st_size && SameContents(Upper(rel), Host(rel));
    if (S_ISCHR(up.st_mode) || S_ISBLK(up.st_mode)) return up.st_rdev == host.st_rdev;
    return true;
  }

  const ChangeLayer& layer_;
  const std::vector<std::string>& excludes_;
  Lines* out_;
};

}  // namespace

std::vector<std::string> ListChanges(const std::vector<ChangeLayer>& layers,
                                     const std::vector<std::string>& excludes) {
  Lines lines;
  for (const ChangeLayer& layer : layers) {
    // What is mounted deeper is that layer's to list.
    std::vector<std::string> skip = excludes;
    for (const ChangeLayer& other : layers)
      if (other.mount != layer.mount && IsBelow(other.mount, layer.mount))
        skip.push_back(other.mount);
    Walk(layer, skip, &lines).Run();
  }
  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  std::vector<std::string> out;
  for (auto& [path, line] : lines) out.push_back(std::move(line));
  return out;
}
