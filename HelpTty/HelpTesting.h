// Test helpers shared by the viewer's and the compiler's tests: help files
// made from help source or from raw screen bytes.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tools/hlpc/HelpSource.h"
#include "utils/TestDir.h"

inline std::string HelpFile(const std::string& source) {
  std::string file, error;
  EXPECT_TRUE(CompileHelp(source, &file, &error)) << error;
  return file;
}

inline std::string Bytes(std::initializer_list<int> bytes) { return {bytes.begin(), bytes.end()}; }

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

inline std::string ShippedHelpSource() {
  const char* dir = getenv("SETUP_SOURCE_DIR");
  return ReadText(std::string(dir ? dir : ".") + "/help/setup.hlpsrc");
}
