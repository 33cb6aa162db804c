#include <gtest/gtest.h>

#include <string>

#include "MemMgr/MemMgr.h"
#include "utils/utils.h"

namespace {

uintptr_t Addr(const void* p) { return reinterpret_cast<uintptr_t>(p); }

TEST(Strings, PathAndNameParts) {
  const std::string d300 = "/" + std::string(300, 'd'), d254 = "/" + std::string(254, 'd');
  const std::string n127(127, 'n'), n200(200, 'n');
  const struct { char* (*fn)(const char*); std::string in, want; } cases[] = {
      {StripPath, "/usr/bin/", "bin"}, {StripPath, "setup", "setup"},
      {StripPath, "a//b//", "b"}, {StripPath, "", ""}, {StripPath, "///", "///"},
      // Long paths are handled whole; only the result is cut.
      {StripPath, d300 + "/setup", "setup"}, {StripPath, d300 + "/" + n127, n127},
      {StripPath, d300 + "/" + n200 + "/", n127},
      {StripPath, std::string(300, '/'), std::string(127, '/')},
      {StripFn, "/tmp/setup", "/tmp"}, {StripFn, "/setup", "/"}, {StripFn, "setup", "."},
      {StripFn, "", "."}, {StripFn, "a/b/", "a/b"}, {StripFn, "a//b", "a/"}, {StripFn, "//x", "/"},
      {StripFn, "/", "/"}, {StripFn, "/tmp/" + std::string(300, 'x'), "/tmp"},
      {StripFn, d300 + "/setup", d300.substr(0, 255)}, {StripFn, d254 + "/setup", d254},
      {StripExt, "a.tar.Z", "a"}, {StripExt, ".profile", ".profile"}, {StripExt, "..a.b", "..a"},
      {StripExt, "noext", "noext"}, {StripExt, std::string(300, 'z'), std::string(127, 'z')},
      {StripPathExt, "/x/y/a.tar.Z", "a"}, {StripPathExt, "/dir.d/", "dir"},
      {StripPathExt, "/x.y/.hidden", ".hidden"}, {StripPathExt, "/", "/"},
      {StripPathName, ".", ""}, {StripPathName, "..", ""}, {StripPathName, "/x", "/"},
      {StripPathName, "/usr/bin/ls", "/usr/bin/"},
      {StripPathName, d300 + "/f", "/" + std::string(126, 'd')},
      {GenName, "hello WORLD-42x", "HelloWorld42x"}, {GenName, "--12 abc", "Abc"},
      {GenName, "zanto print_driver", "ZantoPrintDriver"}, {GenName, "", ""},
      {GenName, "123 456", ""}, {GenName, std::string(300, 'q'), "Q" + std::string(126, 'q')},
  };
  for (const auto& c : cases) EXPECT_EQ(c.fn(c.in.c_str()), c.want) << c.in;
  for (auto fn : {StripPath, StripExt, StripPathExt, StripPathName}) EXPECT_STREQ(fn(nullptr), "");
  EXPECT_STREQ(StripFn(nullptr), ".");

  const char* text = " \t\n\v\f\rX y";
  EXPECT_EQ(SkipSpace(text), text + 6);
  const char* blank = " \t ";
  EXPECT_EQ(SkipSpace(blank), blank + 3);
  EXPECT_EQ(SkipSpace(blank + 3), blank + 3);
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
  EXPECT_EQ(Take(SaveStr_("abcdefghijklmno")), "abcdefghijklmno|32");
  EXPECT_EQ(Take(SaveStr_(nullptr)), "|32");
  const std::string line = "Filesystem 100% used %s %n %d";  // '%' in a plain text is kept
  EXPECT_EQ(Take(SaveStr("%s", line.c_str())), line + "|48");
  EXPECT_EQ(Take(SaveStr_(line.c_str())), line + "|48");
  const std::string big(5000, 'L');  // a format is bounded by the 4096-byte area, a copy is not
  EXPECT_EQ(Take(SaveStr("%s", big.c_str())), big.substr(0, 4095) + "|4112");
  EXPECT_EQ(Take(SaveStr_(big.c_str())), big + "|5024");
}

}  // namespace
