#include <gtest/gtest.h>

#include <string>

#include "MemMgr/MemMgr.h"
#include "utils/utils.h"

namespace {

uintptr_t Addr(const void* p) { return reinterpret_cast<uintptr_t>(p); }

TEST(Strings, PathAndNameParts) {
  const std::string d300 = "/" + std::string(300, 'd'), n127(127, 'n');
  const struct { char* (*fn)(const char*); std::string in, want; } cases[] = {
      {StripPath, "/usr/bin/", "bin"}, {StripPath, "setup", "setup"}, {StripPath, "///", "///"},
      // Long paths are handled whole; only the result is cut.
      {StripPath, d300 + "/" + n127 + "nn/", n127},
      {StripFn, "/tmp/setup", "/tmp"}, {StripFn, "/setup", "/"}, {StripFn, "setup", "."},
      {StripFn, "a//b", "a/"}, {StripFn, d300 + "/setup", d300.substr(0, 255)},
      {StripExt, "a.tar.Z", "a"}, {StripExt, "..a.b", "..a"},
      {StripPathExt, "/dir.d/", "dir"}, {StripPathExt, "/x.y/.hidden", ".hidden"},
      {StripPathName, ".", ""}, {StripPathName, "/usr/bin/ls", "/usr/bin/"},
      {StripPathName, d300 + "/f", "/" + std::string(126, 'd')},
      {GenName, "hello WORLD-42x", "HelloWorld42x"}, {GenName, "--12 abc", "Abc"},
      {GenName, std::string(300, 'q'), "Q" + std::string(126, 'q')},
  };
  for (const auto& c : cases) EXPECT_EQ(c.fn(c.in.c_str()), c.want) << c.in;
  for (auto fn : {StripPath, StripExt, StripPathExt, StripPathName}) EXPECT_STREQ(fn(nullptr), "");
  EXPECT_STREQ(StripFn(nullptr), ".");
  const char* text = " \t\n\v\f\rX y";
  EXPECT_EQ(SkipSpace(text), text + 6);
  EXPECT_EQ(SkipSpace(nullptr), nullptr);
}

// A pool string's text and block size, "text|size"; the block is released.
std::string Take(char* s) {
  const std::string out = s + ("|" + std::to_string(FindLink(&UsedMemList, Addr(s))->Size));
  PutMem(s);
  return out;
}

TEST(Strings, SaveStrCopiesIntoAPoolBlock) {
  // 15 characters ask for 16 bytes: a 32-byte block (17 would give 48).
  EXPECT_EQ(Take(SaveStr("%s/%s", "/tmp/ab", "setup12")), "/tmp/ab/setup12|32");
  EXPECT_EQ(Take(SaveStr("%s", "")), "|32");  // one byte asked, not none
  EXPECT_EQ(Take(SaveStr_(nullptr)), "|32");
  const std::string line = "Filesystem 100% used %s %n %d";  // '%' in a plain text is kept
  EXPECT_EQ(Take(SaveStr_(line.c_str())), line + "|48");
  const std::string big(5000, 'L');  // a format is bounded by the 4096-byte area, a copy is not
  EXPECT_EQ(Take(SaveStr("%s", big.c_str())), big.substr(0, 4095) + "|4112");
  EXPECT_EQ(Take(SaveStr_(big.c_str())), big + "|5024");
}

}  // namespace
