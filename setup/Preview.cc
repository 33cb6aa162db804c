// setup --preview: the whole run, with its screens, questions, dots and
// log, on a throw-away copy-on-write view of the host; then the list of
// every change it made there. The host itself is not changed.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "CowView/CowView.h"
#include "setup/setup.h"
#include "utils/utils.h"

namespace {

bool Below(const std::string& path, const std::string& dir) {
  return path == dir || (path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0 &&
                         path[dir.size()] == '/');
}

// The run's own scratch: its log, its lock and what it keeps in the work
// area. Listed apart, after the changes that matter.
bool IsScratch(const std::string& line, const std::string& workArea) {
  std::string path = line.substr(line.find(" /") + 1);
  path = path.substr(0, path.find(" -> "));
  const std::string area = workArea == "/" ? "" : workArea;
  for (const char* name : {"/ZantoInstall", "/setup", "/setup.hlp", "/" PACKAGE_NAME ".tar.Z"})
    if (Below(path, area + name)) return true;
  return path == "/tmp/setup.log" || path == "/run/setup-" PACKAGE_NAME ".lock" ||
         path == "/var/run/setup-" PACKAGE_NAME ".lock";
}

bool WriteList(const std::string& file, const std::string& text) {
  int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return close(fd) == 0 && ok;
}

}  // namespace

PreviewOptions TakePreviewOptions(int* argc, char** argv) {
  PreviewOptions opt;
  int kept = 1;
  for (int i = 1; i < *argc; ++i) {
    if (std::strcmp(argv[i], "--preview") == 0) {
      opt.on = true;
    } else if (std::strcmp(argv[i], "--preview-out") == 0 && i + 1 < *argc) {
      opt.on = true;
      opt.out = argv[++i];
    } else {
      argv[kept++] = argv[i];
    }
  }
  argv[kept] = nullptr;
  *argc = kept;
  return opt;
}

int RunPreview(const PreviewOptions& opt, const std::string& workArea,
               const std::function<int()>& run) {
  std::vector<std::string> changes;
  std::string why;
  int status = RunInView(run, &changes, &why);
  if (status < 0) {
    std::fprintf(stderr, "setup: --preview: cannot make a view of this host: %s\n", why.c_str());
    return 1;
  }
  std::string main, scratch;
  for (const std::string& line : changes)
    (IsScratch(line, workArea) ? scratch : main) += line + "\n";
  std::string text = main + (scratch.empty() || main.empty() ? "" : "\n") + scratch;
  std::fflush(stdout);
  std::printf("\nChanges this run made in the preview:\n%s%s\nNothing was changed on this host.\n",
              text.empty() ? "(none)\n" : "", text.c_str());
  std::fflush(stdout);
  if (!opt.out.empty() && !WriteList(opt.out, text))
    std::fprintf(stderr, "ERROR: can't write file, %s\n", opt.out.c_str());
  return status;
}
