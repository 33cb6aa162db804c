#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "MemMgr/MemMgr.h"
#include "utils/utils.h"

namespace {

TEST(Strings, PathAndNameParts) {
  const std::string d300 = "/" + std::string(300, 'd'), d254 = "/" + std::string(254, 'd');
  const std::string n127(127, 'n'), n200(200, 'n');
  const struct {
    char* (*fn)(const char*);
    std::string in, want;
  } cases[] = {
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
      {GenName, "123 456", ""},
      {GenName, std::string(300, 'q'), "Q" + std::string(126, 'q')},
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

TEST(Strings, SaveStrCopiesIntoAPoolBlock) {
  auto poolSize = [](const void* p) {
    return FindLink(&UsedMemList, reinterpret_cast<uintptr_t>(p))->Size;
  };
  // 15 characters ask for 16 bytes: a 32-byte block (17 would give 48).
  char* joined = SaveStr("%s/%s", "/tmp/ab", "setup12");
  EXPECT_STREQ(joined, "/tmp/ab/setup12");
  char* empty = SaveStr("%s", "");  // one byte asked, not none
  char* plain = SaveStr_("abcdefghijklmno");
  EXPECT_STREQ(plain, "abcdefghijklmno");
  for (char* p : {joined, empty, plain}) EXPECT_EQ(poolSize(p), 32);

  const char* line = "Filesystem 100% used %s %n %d";  // '%' in a plain text is kept
  char* viaFormat = SaveStr("%s", line);
  char* viaPlain = SaveStr_(line);
  char* none = SaveStr_(nullptr);
  EXPECT_STREQ(viaFormat, line);
  EXPECT_STREQ(viaPlain, line);
  EXPECT_STREQ(none, "");

  const std::string big(5000, 'L');
  char* formatted = SaveStr("%s", big.c_str());  // bounded by the 4096-byte area
  EXPECT_EQ(std::strlen(formatted), 4095u);
  char* copied = SaveStr_(big.c_str());  // a plain copy keeps everything
  EXPECT_EQ(copied, big);
  for (char* p : {joined, empty, plain, viaFormat, viaPlain, none, formatted, copied}) PutMem(p);
}

}  // namespace
