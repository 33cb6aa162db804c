#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "MemMgr/MemMgr.h"
#include "utils/utils.h"

namespace {

int32_t PoolSize(const void* p) {
  Link* l = FindLink(&UsedMemList, reinterpret_cast<uintptr_t>(p));
  return l == nullptr ? -1 : l->Size;
}

TEST(StripPath, GivesTheLastComponent) {
  EXPECT_STREQ(StripPath("/usr/bin/"), "bin");
  EXPECT_STREQ(StripPath("setup"), "setup");
  EXPECT_STREQ(StripPath("/tmp/setup"), "setup");
  EXPECT_STREQ(StripPath("a//b//"), "b");
  EXPECT_STREQ(StripPath(nullptr), "");
  EXPECT_STREQ(StripPath(""), "");
  EXPECT_STREQ(StripPath("/"), "/");
  EXPECT_STREQ(StripPath("///"), "///");

  const char* first = StripPath("/a/x");
  StripPath("/b/y");
  EXPECT_STREQ(first, "y");  // one buffer, overwritten by the next call
}

TEST(StripPath, LongPathsAreHandledWholeOnlyTheResultIsCut) {
  const std::string dir = "/" + std::string(300, 'd');
  EXPECT_STREQ(StripPath((dir + "/setup").c_str()), "setup");
  EXPECT_STREQ(StripPath((dir + "/" + std::string(127, 'n')).c_str()), std::string(127, 'n').c_str());
  EXPECT_STREQ(StripPath((dir + "/" + std::string(200, 'n') + "/").c_str()),
               std::string(127, 'n').c_str());
  EXPECT_STREQ(StripPath(std::string(300, '/').c_str()), std::string(127, '/').c_str());
}

TEST(StripFn, GivesTheDirectoryPart) {
  EXPECT_STREQ(StripFn("/tmp/setup"), "/tmp");
  EXPECT_STREQ(StripFn("/setup"), "/");
  EXPECT_STREQ(StripFn("setup"), ".");
  EXPECT_STREQ(StripFn(""), ".");
  EXPECT_STREQ(StripFn(nullptr), ".");
  EXPECT_STREQ(StripFn("a/b/"), "a/b");  // a trailing slash is simply removed
  EXPECT_STREQ(StripFn("a//b"), "a/");   // only one slash goes
  EXPECT_STREQ(StripFn("//x"), "/");
  EXPECT_STREQ(StripFn("/"), "/");

  const std::string longName = "/tmp/" + std::string(300, 'x');
  EXPECT_STREQ(StripFn(longName.c_str()), "/tmp");
  const std::string longDir = "/" + std::string(300, 'd');
  EXPECT_STREQ(StripFn((longDir + "/setup").c_str()), longDir.substr(0, 255).c_str());
  const std::string fits = "/" + std::string(254, 'd');
  EXPECT_STREQ(StripFn((fits + "/setup").c_str()), fits.c_str());
}

TEST(StripExt, CutsAtTheFirstDotBehindANonDot) {
  EXPECT_STREQ(StripExt("a.tar.Z"), "a");
  EXPECT_STREQ(StripExt(".profile"), ".profile");
  EXPECT_STREQ(StripExt("..a.b"), "..a");
  EXPECT_STREQ(StripExt("noext"), "noext");
  EXPECT_STREQ(StripExt(nullptr), "");
  EXPECT_STREQ(StripExt(std::string(300, 'z').c_str()), std::string(127, 'z').c_str());

  EXPECT_STREQ(StripPathExt("/x/y/a.tar.Z"), "a");
  EXPECT_STREQ(StripPathExt("/dir.d/"), "dir");
  EXPECT_STREQ(StripPathExt("/x.y/.hidden"), ".hidden");
  EXPECT_STREQ(StripPathExt(nullptr), "");
  EXPECT_STREQ(StripPathExt("/"), "/");
}

TEST(StripPathName, KeepsTheDirectoryWithItsSlash) {
  EXPECT_STREQ(StripPathName(nullptr), "");
  EXPECT_STREQ(StripPathName("."), "");
  EXPECT_STREQ(StripPathName(".."), "");
  EXPECT_STREQ(StripPathName("/usr/bin/ls"), "/usr/bin/");
  EXPECT_STREQ(StripPathName("/x"), "/");
  EXPECT_STREQ(StripPathName(("/" + std::string(300, 'd') + "/f").c_str()),
               ("/" + std::string(126, 'd')).c_str());
}

TEST(Strings, SkipSpaceAndGenName) {
  const char* text = " \t\n\v\f\rX y";
  EXPECT_EQ(SkipSpace(text), text + 6);
  const char* blank = " \t ";
  EXPECT_EQ(SkipSpace(blank), blank + 3);
  const char* none = "";
  EXPECT_EQ(SkipSpace(none), none);
  EXPECT_EQ(SkipSpace(nullptr), nullptr);

  EXPECT_STREQ(GenName("hello WORLD-42x"), "HelloWorld42x");
  EXPECT_STREQ(GenName("--12 abc"), "Abc");
  EXPECT_STREQ(GenName("zanto print_driver"), "ZantoPrintDriver");
  EXPECT_STREQ(GenName(""), "");
  EXPECT_STREQ(GenName("123 456"), "");
  EXPECT_STREQ(GenName(std::string(300, 'q').c_str()), ("Q" + std::string(126, 'q')).c_str());
}

TEST(SaveStr, CopiesIntoAPoolBlockOfLengthPlusOne) {
  // 15 characters ask for 16 bytes: a 32-byte block (17 would give 48).
  char* joined = SaveStr("%s/%s", "/tmp/ab", "setup12");
  EXPECT_STREQ(joined, "/tmp/ab/setup12");
  EXPECT_EQ(PoolSize(joined), 32);

  char* empty = SaveStr("%s", "");
  EXPECT_STREQ(empty, "");
  EXPECT_EQ(PoolSize(empty), 32);  // one byte asked, not none

  char* plain = SaveStr_("abcdefghijklmno");
  EXPECT_STREQ(plain, "abcdefghijklmno");
  EXPECT_EQ(PoolSize(plain), 32);

  for (char* p : {joined, empty, plain}) PutMem(p);
}

TEST(SaveStr, PercentSignsInPlainTextsAreKept) {
  const char* line = "Filesystem 100% used %s %n %d";
  char* viaFormat = SaveStr("%s", line);
  EXPECT_STREQ(viaFormat, line);
  char* viaPlain = SaveStr_(line);
  EXPECT_STREQ(viaPlain, line);
  char* none = SaveStr_(nullptr);
  EXPECT_STREQ(none, "");
  for (char* p : {viaFormat, viaPlain, none}) PutMem(p);
}

TEST(SaveStr, LongTexts) {
  const std::string big(5000, 'L');
  char* formatted = SaveStr("%s", big.c_str());  // bounded by the 4096-byte area
  EXPECT_EQ(std::strlen(formatted), 4095u);
  char* copied = SaveStr_(big.c_str());  // a plain copy keeps everything
  EXPECT_EQ(std::string(copied), big);
  PutMem(formatted);
  PutMem(copied);
}

}  // namespace
