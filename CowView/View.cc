// Making the view: a private mount namespace, a tmpfs for the changed
// layers in a scratch directory, an overlay over every mount of the host
// (the kernel's own file systems passed through), and a child chrooted
// into it. The parent stays outside the view to list the changes, and
// takes the mounts and the scratch directory down after the child.
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "CowView/CowView.h"

namespace {

// Passed through whole, with what is mounted below them: the kernel's
// views of processes, devices and itself.
const char* const kPassedThrough[] = {"/proc", "/sys", "/dev"};

bool Below(const std::string& path, const std::string& dir) {
  return path == dir || (path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0 &&
                         (dir == "/" || path[dir.size()] == '/'));
}

// Mount points as /proc/self/mountinfo gives them (octal escapes undone),
// parents before children.
std::vector<std::string> MountPoints() {
  std::vector<std::string> points;
  FILE* in = std::fopen("/proc/self/mountinfo", "re");
  if (!in) return points;
  char* buf = nullptr;
  size_t size = 0;
  while (getline(&buf, &size, in) > 0) {
    // The fifth field: ID PARENT MAJOR:MINOR ROOT MOUNTPOINT ...
    char* field = buf;
    for (int i = 0; i < 4 && field; ++i)
      if ((field = std::strchr(field, ' '))) ++field;
    if (!field) continue;
    const std::string point(field, std::strcspn(field, " \n"));
    std::string unescaped;
    for (size_t i = 0; i < point.size(); ++i) {
      if (point[i] == '\\' && i + 3 < point.size()) {
        unescaped += static_cast<char>(std::strtol(point.substr(i + 1, 3).c_str(), nullptr, 8));
        i += 3;
      } else {
        unescaped += point[i];
      }
    }
    if (std::find(points.begin(), points.end(), unescaped) == points.end())
      points.push_back(unescaped);
  }
  std::free(buf);
  std::fclose(in);
  std::stable_sort(points.begin(), points.end(), [](const std::string& a, const std::string& b) {
    return std::count(a.begin(), a.end(), '/') + (a != "/") <
           std::count(b.begin(), b.end(), '/') + (b != "/");
  });
  return points;
}

std::string Errno(const std::string& what) { return what + ": " + std::strerror(errno); }

class View {
 public:
  ~View() { TakeDown(); }

  bool Make(std::string* why) {
    if (geteuid() != 0) return Fail(why, "it needs root");
    if (unshare(CLONE_NEWNS) != 0) return Fail(why, Errno("no private mount namespace"));
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
      return Fail(why, Errno("cannot make the mounts private"));
    char tmpl[] = "/run/setup-preview.XXXXXX";
    char tmpl2[] = "/tmp/setup-preview.XXXXXX";
    const char* made = mkdtemp(tmpl);
    if (!made) made = mkdtemp(tmpl2);
    if (!made) return Fail(why, Errno("cannot make a scratch directory"));
    scratch_ = made;
    if (mount("preview", scratch_.c_str(), "tmpfs", 0, "mode=0700") != 0)
      return Fail(why, Errno("cannot mount a tmpfs for the changes"));
    root_ = scratch_ + "/root";
    mkdir(root_.c_str(), 0755);
    int n = 0;
    for (const std::string& point : MountPoints()) {
      if (Below(point, scratch_)) continue;
      bool passed = false;
      for (const char* p : kPassedThrough) passed = passed || Below(point, p);
      if (passed) {
        if (std::find(std::begin(kPassedThrough), std::end(kPassedThrough), point) !=
            std::end(kPassedThrough))
          PassThrough(point);
        continue;
      }
      if (!Overlay(point, n++, why)) {
        if (point == "/") return false;
        ReadOnly(point);  // writes fail there rather than reach the host
      }
    }
    return true;
  }

  const std::vector<ChangeLayer>& Layers() const { return layers_; }
  const std::string& Root() const { return root_; }
  const std::string& Scratch() const { return scratch_; }

  void TakeDown() {
    if (scratch_.empty()) return;
    umount2(scratch_.c_str(), MNT_DETACH);
    rmdir(scratch_.c_str());
    scratch_.clear();
  }

 private:
  static bool Fail(std::string* why, const std::string& reason) {
    *why = reason;
    return false;
  }

  std::string In(const std::string& point) const { return point == "/" ? root_ : root_ + point; }

  bool Overlay(const std::string& point, int n, std::string* why) {
    if (point.find_first_of(",:\\") != std::string::npos) return false;
    const std::string layer = scratch_ + "/" + std::to_string(n);
    const std::string upper = layer + "/upper", work = layer + "/work";
    mkdir(layer.c_str(), 0700);
    mkdir(upper.c_str(), 0755);
    mkdir(work.c_str(), 0700);
    const std::string opts = "lowerdir=" + point + ",upperdir=" + upper + ",workdir=" + work;
    if (mount("overlay", In(point).c_str(), "overlay", 0, opts.c_str()) != 0)
      return Fail(why, Errno("cannot mount an overlay of " + point + " (no overlay support?)"));
    // The layer's root takes the host's mode and owner, so an unchanged
    // directory is not listed as changed.
    struct stat st;
    if (stat(point.c_str(), &st) == 0) {
      chmod(upper.c_str(), st.st_mode & 07777);
      if (chown(upper.c_str(), st.st_uid, st.st_gid) != 0) {
      }
    }
    layers_.push_back({point, point, upper, In(point)});
    return true;
  }

  void PassThrough(const std::string& point) {
    if (point == "/proc")
      mount("proc", In(point).c_str(), "proc", 0, nullptr);
    else
      mount(point.c_str(), In(point).c_str(), nullptr, MS_BIND | MS_REC, nullptr);
  }

  void ReadOnly(const std::string& point) {
    if (mount(point.c_str(), In(point).c_str(), nullptr, MS_BIND, nullptr) == 0)
      mount(nullptr, In(point).c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr);
  }

  std::string scratch_, root_;
  std::vector<ChangeLayer> layers_;
};

pid_t gChild = 0;

// Stopping the view is the child's to decide; the parent passes the
// request on and lists what was done.
void PassOn(int sig) {
  if (gChild > 0) kill(gChild, sig);
}

}  // namespace

int RunInView(const std::function<int()>& body, std::vector<std::string>* changes,
              std::string* why) {
  View view;
  if (!view.Make(why)) return -1;
  char cwd[4096];
  std::string dir = getcwd(cwd, sizeof cwd) ? cwd : "/";
  std::fflush(nullptr);
  struct sigaction pass, ignore, oldInt, oldQuit, oldTerm, oldHup;
  std::memset(&pass, 0, sizeof pass);
  std::memset(&ignore, 0, sizeof ignore);
  pass.sa_handler = PassOn;
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGINT, &ignore, &oldInt);  // the terminal sends it to the child too
  sigaction(SIGQUIT, &ignore, &oldQuit);
  sigaction(SIGTERM, &pass, &oldTerm);
  sigaction(SIGHUP, &pass, &oldHup);
  gChild = fork();
  if (gChild < 0) {
    *why = Errno("cannot start the run");
    return -1;
  }
  if (gChild == 0) {
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGQUIT, &oldQuit, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
    sigaction(SIGHUP, &oldHup, nullptr);
    if (chroot(view.Root().c_str()) != 0) _exit(127);
    if (chdir(dir.c_str()) != 0) {
      std::fprintf(stderr, "preview: %s is not in the view; working in /\n", dir.c_str());
      if (chdir("/") != 0) _exit(127);
    }
    std::exit(body());
  }
  int status = 0;
  while (waitpid(gChild, &status, 0) < 0 && errno == EINTR) {
  }
  gChild = 0;
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGQUIT, &oldQuit, nullptr);
  sigaction(SIGTERM, &oldTerm, nullptr);
  sigaction(SIGHUP, &oldHup, nullptr);
  *changes = ListChanges(view.Layers(), {view.Scratch()});
  view.TakeDown();
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
