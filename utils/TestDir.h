// Test support: a scratch directory made fresh for one test and removed
// with everything in it at the end, and small file helpers.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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
