// Test helpers: help files made from help source.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "HelpTty/HelpTty.h"
#include "tools/hlpc/HelpSource.h"

inline std::string HelpFile(const std::string& source) {
  std::string file, error;
  EXPECT_TRUE(CompileHelp(source, &file, &error)) << error;
  return file;
}

inline std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

// A help file whose screens hold the given content bytes.
inline std::string RawHelpFile(const std::initializer_list<std::string>& screens) {
  std::string f = Bytes({0, 0, 0});
  uint32_t off = static_cast<uint32_t>(3 + 4 * screens.size());
  auto put32 = [&f](uint32_t v) {
    f += Bytes({int(v >> 24), int(v >> 16 & 255), int(v >> 8 & 255), int(v & 255)});
  };
  for (const std::string& s : screens) {
    put32(off);
    off += static_cast<uint32_t>(7 + s.size());
  }
  for (const std::string& s : screens) {
    f += Bytes({0, 0, 0});
    put32(static_cast<uint32_t>(s.size()));
    f += s;
  }
  return f;
}
