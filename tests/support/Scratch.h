// Scratch directories and small file helpers for tests.
#pragma once

#include <sys/types.h>

#include <string>

// A fresh directory under $TMPDIR (or /tmp), removed with its whole
// content when the object goes. Links inside are removed, never followed.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& tag = "scratch");
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& Path() const { return path_; }
  // Path of an entry inside: Sub("a/b") is Path() + "/a/b".
  std::string Sub(const std::string& rel) const { return path_ + "/" + rel; }

 private:
  std::string path_;
};

// Whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Creates or replaces a file (parent directories must exist).
void WriteFile(const std::string& path, const std::string& text, mode_t mode = 0644);
// The entry exists (a dangling link counts).
bool FileExists(const std::string& path);
// Permission bits (07777) of the entry itself, -1 when missing.
int FileMode(const std::string& path);
// Creates the directory and its parents.
void MakeDirs(const std::string& path);
