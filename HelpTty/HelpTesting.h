// Test helpers shared by the viewer's and the compiler's tests: help files
// made from help source or from raw screen bytes, and scratch files.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tools/hlpc/HelpSource.h"

inline std::string HelpFile(const std::string& source) {
  std::string file, error;
  EXPECT_TRUE(CompileHelp(source, &file, &error)) << error;
  return file;
}

inline std::string Bytes(std::initializer_list<int> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

inline std::string Be32(uint32_t v) {
  return Bytes({int(v >> 24), int(v >> 16), int(v >> 8), int(v)});
}

// A help file whose screens hold the given content bytes, and no names.
inline std::string RawHelpFile(const std::initializer_list<std::string>& screens) {
  std::string table, records;
  for (const std::string& s : screens) {
    table += Be32(static_cast<uint32_t>(3 + 4 * screens.size() + records.size()));
    records += Bytes({0, 0, 0}) + Be32(static_cast<uint32_t>(s.size())) + s;
  }
  return Bytes({0, 0, 0}) + table + records;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ShippedHelpSource() {
  const char* dir = getenv("SETUP_SOURCE_DIR");
  return ReadFile(std::string(dir ? dir : ".") + "/help/setup.hlpsrc");
}

struct TempDir {
  std::string path = mkdtemp(std::string("/tmp/helpttyXXXXXX").data());
  ~TempDir() { EXPECT_EQ(system(("rm -rf '" + path + "'").c_str()), 0); }
  std::string File(const char* name) const { return path + "/" + name; }
};
