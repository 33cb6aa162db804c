#include <sys/stat.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

char kSetup[] = "setup";

using ::testing::ExitedWithCode;

class FileEditTest : public ::testing::Test {
 protected:
  void SetUp() override { my_name = kSetup; }
  void TearDown() override {
    if (pIn) fclose(pIn);
    if (pOut) fclose(pOut);
    pIn = pOut = nullptr;
  }
  // Edits dir/file.txt holding text; the work file must be gone afterwards.
  std::string Base(const std::string& text) {
    dir_.Write("file.txt", text);
    return dir_ / "file";
  }
  std::string Result() {
    EXPECT_FALSE(Exists(dir_ / "file.txtout"));
    return ReadText(dir_ / "file.txt");
  }
  TestDir dir_;
};

TEST_F(FileEditTest, Replacing) {
  std::string base = Base("axbx\nno\nx\n");
  FileChange(base.c_str(), "txt", "x", "YY");
  EXPECT_EQ(Result(), "aYYbx\nno\nYY\n");  // only the first on each line

  // A long line is edited piece by piece, 510 characters at a time.
  base = Base(std::string(600, 'x') + "\n");
  FileChange(base.c_str(), "txt", "x", "y");
  EXPECT_EQ(Result(), "y" + std::string(509, 'x') + "y" + std::string(89, 'x') + "\n");

  base = Base("ABA\n");
  FileChangeChar(base.c_str(), "txt", "0x41", "66,0x43");
  EXPECT_EQ(Result(), "BCBBC\n");
  FileChangeChar(base.c_str(), "txt", "66", nullptr);
  EXPECT_EQ(Result(), "CC\n");
}

TEST_F(FileEditTest, Deleting) {
  std::string base = Base("ab1\nab2\nzz\nab3ab\n");
  FileDel(base.c_str(), "txt", 1, "ab");
  EXPECT_EQ(Result(), "ab1\n2\nzz\n3ab\n");

  base = Base("k1\nk2\nother\nk3\n");
  FileDelLine(base.c_str(), "txt", 1, "k");
  EXPECT_EQ(Result(), "k1\nother\n");

  // Each dropped first-text line takes one following second-text line.
  base = Base("A1\nB1\nA2\nA3\nB2\nB3\nB4\n");
  FileDelLinePair(base.c_str(), "txt", 1, "A", "B");
  EXPECT_EQ(Result(), "A1\nB1\nB4\n");
}

TEST_F(FileEditTest, DeleteByFormat) {
  const std::string text = "one=1\nkeep\ntwo=2\n";
  std::string base = Base(text);
  EXPECT_EQ(FileDelFormat(base.c_str(), "txt", "", "="), 0);
  EXPECT_EQ(Result(), "one1\nkeep\ntwo2\n");

  Base(text);
  EXPECT_EQ(FileDelFormat(base.c_str(), "txt", "a", "="), 0);
  EXPECT_EQ(Result(), "one=\nkeep\ntwo=\n");

  Base(text);
  EXPECT_EQ(FileDelFormat(base.c_str(), "txt", "b", "="), 0);
  EXPECT_EQ(Result(), "=1\nkeep\n=2\n");

  Base(text);
  EXPECT_EQ(FileDelFormat(base.c_str(), "txt", "c", "0x65"), 0);  // 'e'
  EXPECT_EQ(Result(), "on=1\nkp\ntwo=2\n");

  Base(text);
  EXPECT_EQ(FileDelFormat(base.c_str(), "txt", "l", "="), 0);
  EXPECT_EQ(Result(), "keep\n");

  Base(text);
  EXPECT_EQ(FileDelFormat(base.c_str(), "txt", "x", "="), 1);
  EXPECT_EQ(Result(), text);
}

TEST_F(FileEditTest, InsertNumbering) {
  std::string base = Base("l1\nl2\nl3\n");
  char numbered[] = "%s3%#0 ";
  FileInsert(base.c_str(), "txt", numbered);
  EXPECT_EQ(Result(), "00003 l1\n00004 l2\n00005 l3\n");
  EXPECT_STREQ(numbered, "%#0 ");  // the start number is taken out

  base = Base("l1\nl2\nl3\n");
  char offset[] = "[%#1]";
  FileInsert(base.c_str(), "txt", offset);
  EXPECT_EQ(Result(), "l1\n[00000]l2\n[00001]l3\n");

  base = Base("a\nb\n");
  char plain[] = "> %d ";
  FileInsert(base.c_str(), "txt", plain);
  EXPECT_EQ(Result(), "> %d a\n> %d b\n");

  base = Base("x1\ny\nx2\n");
  char search[] = "%s7#%#0:";
  FileSearchInsert(base.c_str(), "txt", search, "x");
  EXPECT_EQ(Result(), "#00007:x1\ny\n#00008:x2\n");
}

TEST_F(FileEditTest, NamesWithBlanksAndQuotes) {
  dir_.Write("it's a file.t x", "old\n");
  std::string base = dir_ / "it's a file";
  FileChange(base.c_str(), "t x", "old", "new");
  EXPECT_EQ(ReadText(dir_ / "it's a file.t x"), "new\n");
  EXPECT_FALSE(Exists(dir_ / "it's a file.t xout"));
}

TEST_F(FileEditTest, EmptyExtensionNamesTheWorkFileDotOut) {
  std::string plain = dir_.Write("plain", "p\n");
  FileChange(plain.c_str(), "", "p", "q");
  EXPECT_EQ(ReadText(plain), "q\n");
  EXPECT_FALSE(Exists(plain + ".out"));

  // With the work file's name taken by a directory the edit cannot start.
  ASSERT_EQ(mkdir((plain + ".out").c_str(), 0700), 0);
  EXPECT_EXIT(FileDelLine(plain.c_str(), "", 0, "q"), ExitedWithCode(1),
              "can't open file, .*/plain\\.out : ");
  EXPECT_EXIT(FileDelLine((dir_ / "missing").c_str(), "txt", 0, "q"), ExitedWithCode(1),
              "can't open file, .*/missing\\.txt : No such file or directory");
}

TEST_F(FileEditTest, StreamVariant) {
  std::string plain = dir_.Write("plain", "in\n");
  OpenIOFiles(plain.c_str(), "");
  EXPECT_EQ(std::string(Fn), plain);
  EXPECT_EQ(std::string(FnOut), plain + "out");
  ASSERT_NE(pIn, nullptr);
  ASSERT_NE(pOut, nullptr);
  ASSERT_EQ(GetLine(), 1);
  fprintf(pOut, "%s+out\n", Line);
  ReplaceInputFile();
  EXPECT_EQ(pIn, nullptr);
  EXPECT_EQ(pOut, nullptr);
  EXPECT_EQ(ReadText(plain), "in+out\n");
  EXPECT_FALSE(Exists(plain + "out"));

  dir_.Write("named.e", "x\n");
  OpenIOFiles((dir_ / "named").c_str(), "e");
  EXPECT_EQ(std::string(FnOut), dir_ / "named.eout");
  ReplaceInputFile();
  EXPECT_EQ(ReadText(dir_ / "named.e"), "");
}

}  // namespace
