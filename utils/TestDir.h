// Test support: a scratch directory made fresh for one test and removed
// with everything in it at the end.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class TestDir {
 public:
  TestDir() { if (!mkdtemp(path_.data())) std::abort(); }
  ~TestDir() { std::filesystem::remove_all(path_, ec_); }
  TestDir(const TestDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // Writes name in the directory; gives its path.
  std::string Write(const std::string& name, const std::string& text) const {
    std::ofstream(*this / name, std::ios::binary) << text;
    return *this / name;
  }

 private:
  std::string path_ = (std::filesystem::temp_directory_path() / "utils_test.XXXXXX").string();
  std::error_code ec_;
};

inline std::string ReadText(const std::string& path) {
  return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
}
// True also for a dangling symbolic link.
inline bool Exists(const std::string& path) {
  return std::filesystem::exists(std::filesystem::symlink_status(path));
}
