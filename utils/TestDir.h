// Test support: a scratch directory made fresh for one test and removed
// with everything in it at the end, and small file helpers.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

// Creates or replaces a file (its directory must exist).
inline void WriteFile(const std::string& path, const std::string& text, mode_t mode = 0644) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  chmod(path.c_str(), mode);
}

// A fresh directory under $TMPDIR (or /tmp); remove_all removes links,
// never what they point to.
class TestDir {
 public:
  explicit TestDir(const std::string& tag = "utils_test")
      : path_((std::filesystem::temp_directory_path() / (tag + ".XXXXXX")).string()) {
    if (!mkdtemp(path_.data())) std::abort();
  }
  ~TestDir() { std::filesystem::remove_all(path_, ec_); }
  TestDir(const TestDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // Writes name in the directory; gives its path.
  std::string Write(const std::string& name, const std::string& text, mode_t mode = 0644) const {
    WriteFile(*this / name, text, mode);
    return *this / name;
  }

 private:
  std::string path_;
  std::error_code ec_;
};

// Whole content of a file; empty when it cannot be read.
inline std::string ReadText(const std::string& path) {
  return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
}
// True also for a dangling symbolic link.
inline bool Exists(const std::string& path) {
  return std::filesystem::exists(std::filesystem::symlink_status(path));
}
// Permission bits (07777) of the entry itself, -1 when missing.
inline int FileMode(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

// How often text occurs in out, not overlapping.
inline int Count(const std::string& out, const std::string& text) {
  int n = 0;
  for (size_t pos = 0; (pos = out.find(text, pos)) != std::string::npos; pos += text.size()) n++;
  return n;
}

struct ChildRun {
  std::string out;  // everything written to standard output
  std::string err;  // everything written to standard error
  int status;       // exit status; 0 when the body returned; 128+n on signal n;
                    // -1 when no child ran
};

// Runs body in a forked child with input as its standard input and its
// output in files. With oneFile standard error shares standard output's
// file, as when a program's output is redirected: standard output is then
// fully buffered, so only flushes keep the order.
inline ChildRun RunChild(const std::string& input, const std::function<void()>& body,
                         bool oneFile = false) {
  TestDir io("child");
  io.Write("in", input);
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return {"", "fork failed", -1};
  if (pid == 0) {
    // glibc's freopen keeps the descriptors 0, 1 and 2 for the new files.
    if (!std::freopen((io / "in").c_str(), "r", stdin) ||
        !std::freopen((io / "out").c_str(), "w", stdout) ||
        (oneFile ? dup2(1, 2) != 2 : !std::freopen((io / "err").c_str(), "w", stderr)))
      _exit(99);
    body();
    std::fflush(nullptr);
    _exit(0);
  }
  // Only this child: the caller may have others of its own.
  int ws = 0;
  while (waitpid(pid, &ws, 0) < 0)
    if (errno != EINTR) return {"", "waitpid failed", -1};
  return {ReadText(io / "out"), ReadText(io / "err"),
          WIFEXITED(ws) ? WEXITSTATUS(ws) : 128 + WTERMSIG(ws)};
}
