#include <sys/stat.h>

#include <string>

#include <gtest/gtest.h>

#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

using ::testing::ExitedWithCode;

TEST(FileEdit, EachEditOfAFile) {
  TestDir dir;
  const struct { const char* text; void (*edit)(const char*); std::string want; } cases[] = {
      {"axbx\nno\nx\n", [](const char* f) { FileChange(f, "txt", "x", "YY"); }, "aYYbx\nno\nYY\n"},
      // A long line is edited piece by piece, 510 characters at a time.
      {nullptr, [](const char* f) { FileChange(f, "txt", "x", "y"); },
       "y" + std::string(509, 'x') + "y" + std::string(89, 'x') + "\n"},
      {"ABA\n", [](const char* f) { FileChangeChar(f, "txt", "0x41", "66,0x43"); }, "BCBBC\n"},
      {"ABA\n", [](const char* f) { FileChangeChar(f, "txt", "65", nullptr); }, "B\n"},
      {"ab1\nab2\nzz\nab3ab\n", [](const char* f) { FileDel(f, "txt", 1, "ab"); },
       "ab1\n2\nzz\n3ab\n"},
      {"k1\nk2\nother\nk3\n", [](const char* f) { FileDelLine(f, "txt", 1, "k"); }, "k1\nother\n"},
      // Each dropped first-text line takes one following second-text line.
      {"A1\nB1\nA2\nA3\nB2\nB3\nB4\n",
       [](const char* f) { FileDelLinePair(f, "txt", 1, "A", "B"); }, "A1\nB1\nB4\n"},
      {"l1\nl2\nl3\n",
       [](const char* f) {
         char numbered[] = "%s3%#0 ";
         FileInsert(f, "txt", numbered);
         EXPECT_STREQ(numbered, "%#0 ");  // the start number is taken out
       },
       "00003 l1\n00004 l2\n00005 l3\n"},
      {"l1\nl2\n", [](const char* f) { char s[] = "[%#1]"; FileInsert(f, "txt", s); },
       "l1\n[00000]l2\n"},
      {"a\n", [](const char* f) { char s[] = "> %d "; FileInsert(f, "txt", s); }, "> %d a\n"},
      {"x1\ny\nx2\n",
       [](const char* f) { char s[] = "%s7#%#0:"; FileSearchInsert(f, "txt", s, "x"); },
       "#00007:x1\ny\n#00008:x2\n"},
  };
  const std::string file = dir / "f";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.want);
    dir.Write("f.txt", c.text ? c.text : std::string(600, 'x') + "\n");
    c.edit(file.c_str());
    EXPECT_EQ(ReadText(file + ".txt"), c.want);
    EXPECT_FALSE(Exists(file + ".txtout"));  // the work file is gone
  }

  const std::string text = "one=1\nkeep\ntwo=2\n";
  const char* formats[][3] = {{"", "=", "one1\nkeep\ntwo2\n"}, {"a", "=", "one=\nkeep\ntwo=\n"},
                              {"b", "=", "=1\nkeep\n=2\n"},    {"c", "0x65", "on=1\nkp\ntwo=2\n"},
                              {"l", "=", "keep\n"},            {"x", "=", "one=1\nkeep\ntwo=2\n"}};
  for (const auto& f : formats) {
    dir.Write("f.txt", text);
    EXPECT_EQ(FileDelFormat(file.c_str(), "txt", f[0], f[1]), f[0][0] == 'x') << f[0];
    EXPECT_EQ(ReadText(file + ".txt"), f[2]) << f[0];
  }
}

TEST(FileEdit, WorkFilesOddNamesAndFailures) {
  TestDir dir;
  dir.Write("it's a file.t x", "old\n");  // quoted for the shell's rm and mv
  FileChange((dir / "it's a file").c_str(), "t x", "old", "new");
  EXPECT_EQ(ReadText(dir / "it's a file.t x"), "new\n");
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
