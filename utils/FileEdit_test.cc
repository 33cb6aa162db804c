#include <sys/stat.h>

#include <string>

#include <gtest/gtest.h>

#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

using ::testing::ExitedWithCode;

TEST(FileEdit, EachEditOfAFile) {
  TestDir dir;
  const struct { std::string text; void (*edit)(const char*); std::string want; } cases[] = {
      {"axbx\nno\nx\n", [](const char* f) { FileChange(f, "t x", "x", "YY"); }, "aYYbx\nno\nYY\n"},
      // A long line is edited piece by piece, 510 characters at a time.
      {std::string(600, 'x') + "\n", [](const char* f) { FileChange(f, "t x", "x", "y"); },
       "y" + std::string(509, 'x') + "y" + std::string(89, 'x') + "\n"},
      {"ABA\n", [](const char* f) { FileChangeChar(f, "t x", "0x41", "66,0x43"); }, "BCBBC\n"},
      {"ABA\n", [](const char* f) { FileChangeChar(f, "t x", "65", nullptr); }, "B\n"},
      {"ab1\nab2\nzz\nab3ab\n", [](const char* f) { FileDel(f, "t x", 1, "ab"); },
       "ab1\n2\nzz\n3ab\n"},
      {"k1\nk2\nother\nk3\n", [](const char* f) { FileDelLine(f, "t x", 1, "k"); }, "k1\nother\n"},
      // Each dropped first-text line takes one following second-text line.
      {"A1\nB1\nA2\nA3\nB2\nB3\nB4\n",
       [](const char* f) { FileDelLinePair(f, "t x", 1, "A", "B"); }, "A1\nB1\nB4\n"},
      // The start number is taken out of the text.
      {"l1\nl2\nl3\n",
       [](const char* f) { char s[] = "%s3%#0"; FileInsert(f, "t x", s); EXPECT_STREQ(s, "%#0"); },
       "00003l1\n00004l2\n00005l3\n"},
      {"l1\nl2\n", [](const char* f) { char s[] = "[%#1]"; FileInsert(f, "t x", s); },
       "l1\n[00000]l2\n"},
      {"x1\ny\nx2\n",
       [](const char* f) { char s[] = "%s7#%#0:"; FileSearchInsert(f, "t x", s, "x"); },
       "#00007:x1\ny\n#00008:x2\n"},
  };
  // Names are quoted for the shell's rm and mv.
  const std::string file = dir / "it's a f";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.want);
    dir.Write("it's a f.t x", c.text);
    c.edit(file.c_str());
    EXPECT_EQ(ReadText(file + ".t x"), c.want);
    EXPECT_FALSE(Exists(file + ".t xout"));  // the work file is gone
  }

  const std::string text = "one=1\nkeep\ntwo=2\n";
  const char* formats[][3] = {{"", "=", "one1\nkeep\ntwo2\n"}, {"a", "=", "one=\nkeep\ntwo=\n"},
                              {"b", "=", "=1\nkeep\n=2\n"},    {"c", "0x65", "on=1\nkp\ntwo=2\n"},
                              {"l", "=", "keep\n"},            {"x", "=", "one=1\nkeep\ntwo=2\n"}};
  for (const auto& f : formats) {
    dir.Write("it's a f.t x", text);
    EXPECT_EQ(FileDelFormat(file.c_str(), "t x", f[0], f[1]), f[0][0] == 'x') << f[0];
    EXPECT_EQ(ReadText(file + ".t x"), f[2]) << f[0];
  }
}

TEST(FileEdit, WorkFilesOddNamesAndFailures) {
  TestDir dir;
  const std::string plain = dir.Write("plain", "p\n");  // no extension: work file ".out"
  FileChange(plain.c_str(), "", "p", "q");
  OpenIOFiles(plain.c_str(), "");  // the stream variant's is "out"
  EXPECT_EQ(std::string(Fn) + "|" + FnOut, plain + "|" + plain + "out");
  ASSERT_EQ(GetLine(), 1);
  fprintf(pOut, "%s+out\n", Line);
  ReplaceInputFile();
  EXPECT_TRUE(pIn == nullptr && pOut == nullptr);
  EXPECT_EQ(ReadText(plain), "q+out\n");
  EXPECT_FALSE(Exists(plain + ".out") || Exists(plain + "out"));

  ASSERT_EQ(mkdir((plain + ".out").c_str(), 0700), 0);  // the work file cannot be made
  EXPECT_EXIT(FileDelLine(plain.c_str(), "", 0, "q"), ExitedWithCode(1),
              "can't open file, .*/plain\\.out : ");
  EXPECT_EXIT(FileDelLine((dir / "missing").c_str(), "txt", 0, "q"), ExitedWithCode(1),
              "can't open file, .*/missing\\.txt : No such file or directory");
}

}  // namespace
