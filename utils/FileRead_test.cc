#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

char kSetup[] = "setup";

using ::testing::ExitedWithCode;

int OpenDescriptors() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (readdir(d)) n++;
    closedir(d);
  }
  return n;
}

class FileReadTest : public ::testing::Test {
 protected:
  void SetUp() override { my_name = kSetup; }
  void TearDown() override {
    CloseInputFile();
    flInputFilterState = 1;
  }
  TestDir dir_;
};

TEST_F(FileReadTest, OpenFileLevels) {
  std::string bad = dir_ / "none/file";
  testing::internal::CaptureStderr();
  EXPECT_EQ(OpenFile(nullptr, bad.c_str(), "wt", 0), nullptr);
  EXPECT_EQ(OpenFile(nullptr, bad.c_str(), "wt", 1), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: can't open file, " + bad + "\n");
  EXPECT_EXIT(OpenFile(nullptr, bad.c_str(), "wt", 2), ExitedWithCode(1),
              "\nsetup: can't open file, .*/none/file : No such file or directory\n");

  // An open stream is reopened on the new path.
  std::string a = dir_.Write("a", "A\n");
  std::string b = dir_.Write("b", "B\n");
  FILE* f = OpenFile(nullptr, a.c_str(), "rt", 2);
  ASSERT_NE(f, nullptr);
  f = OpenFile(f, b.c_str(), "rt", 2);
  ASSERT_NE(f, nullptr);
  char buf[8];
  ASSERT_NE(fgets(buf, sizeof buf, f), nullptr);
  EXPECT_STREQ(buf, "B\n");
  fclose(f);

  // Formatted paths; one that does not fit opens nothing.
  f = OpenFileF(nullptr, "rt", 0, "%s/%s", dir_.path().c_str(), "a");
  ASSERT_NE(f, nullptr);
  fclose(f);
  std::string longName(600, 'n');
  EXPECT_EQ(OpenFileF(nullptr, "wt", 0, "%s", longName.c_str()), nullptr);
}

TEST_F(FileReadTest, OpenInputFileLevels) {
  std::string present = dir_.Write("present", "x\n");
  std::string missing = dir_ / "missing";
  ASSERT_EQ(OpenInputFile(present.c_str(), 2), 1);
  ASSERT_NE(pIn, nullptr);

  strcpy(LineBuf, "stale");
  testing::internal::CaptureStderr();
  EXPECT_EQ(OpenInputFile(missing.c_str(), 1), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "WARNING: can't open file, " + missing + "\n");
  EXPECT_EQ(pIn, nullptr);  // the earlier input file is gone too
  EXPECT_EQ(LineBuf[0], '\0');
  EXPECT_EQ(LineLen, 0);

  testing::internal::CaptureStderr();
  EXPECT_EQ(OpenInputFile(missing.c_str(), 0), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  EXPECT_EXIT(OpenInputFile(missing.c_str(), 2), ExitedWithCode(0),
              "^ERROR: can't open file, .*/missing\n$");

  // The path may be built in LineBuf itself.
  strcpy(LineBuf, present.c_str());
  EXPECT_EQ(OpenInputFileF(0, "%s", LineBuf), 1);
  EXPECT_EQ(OpenInputFileF(0, "%s", std::string(600, 'n').c_str()), 0);
  EXPECT_EQ(pIn, nullptr);
}

TEST_F(FileReadTest, GetFileLineJoinsContinuationLines) {
  std::string p = dir_.Write("cont", "a \\\nb\nc\n");
  ASSERT_EQ(OpenInputFile(p.c_str(), 2), 1);
  ASSERT_EQ(GetFileLine(), 1);
  EXPECT_STREQ(LineBuf, "a \\\nb\n");
  EXPECT_EQ(LineLen, 4);
  ASSERT_EQ(GetFileLine(), 1);
  EXPECT_STREQ(LineBuf, "c\n");
  EXPECT_EQ(GetFileLine(), 0);
  EXPECT_EQ(pIn, nullptr);
  EXPECT_EQ(GetFileLine(), 0);

  // The file ends inside a continuation: the line ends there.
  p = dir_.Write("open", "x\\\n");
  ASSERT_EQ(OpenInputFile(p.c_str(), 2), 1);
  ASSERT_EQ(GetFileLine(), 1);
  EXPECT_STREQ(LineBuf, "x\\\n");
  EXPECT_EQ(GetFileLine(), 0);
}

TEST_F(FileReadTest, GetFileLineLongLines) {
  // A long physical line comes in pieces of 510.
  std::string p = dir_.Write("long", std::string(600, 'q') + "\n");
  ASSERT_EQ(OpenInputFile(p.c_str(), 2), 1);
  ASSERT_EQ(GetFileLine(), 1);
  EXPECT_EQ(std::string(LineBuf), std::string(510, 'q'));
  ASSERT_EQ(GetFileLine(), 1);
  EXPECT_EQ(std::string(LineBuf), std::string(90, 'q') + "\n");
  EXPECT_EQ(GetFileLine(), 0);

  // Continued lines may be longer than 510, up to what LineBuf holds.
  p = dir_.Write("joined", "x\\\n" + std::string(1000, 'y') + "\n");
  ASSERT_EQ(OpenInputFile(p.c_str(), 2), 1);
  ASSERT_EQ(GetFileLine(), 1);
  EXPECT_EQ(std::string(LineBuf), "x\\\n" + std::string(1000, 'y') + "\n");

  std::string many;
  for (int i = 0; i < 3000; i++) many += "z\\\n";
  p = dir_.Write("many", many + "end\n");
  ASSERT_EQ(OpenInputFile(p.c_str(), 2), 1);
  ASSERT_EQ(GetFileLine(), 1);
  EXPECT_EQ(strlen(LineBuf), sizeof LineBuf - 1);
  EXPECT_EQ(std::string(LineBuf, 6), "z\\\nz\\\n");
}

TEST_F(FileReadTest, GetFileContent) {
  std::string thirty(30, 'd');
  thirty[10] = '\n';
  dir_.Write("disks", thirty);
  ASSERT_EQ(GetFileContent(dir_.path().c_str(), "disks"), 1);
  EXPECT_EQ(std::string(LineBuf), thirty);
  EXPECT_EQ(flContentCut, 0);

  // A missing file leaves the path it tried.
  EXPECT_EQ(GetFileContent(dir_.path().c_str(), "nodisks"), 0);
  EXPECT_EQ(std::string(LineBuf), dir_ / "nodisks");

  // A null name takes the directory argument as the path, which may be
  // in LineBuf already.
  std::string p = dir_.Write("empty", "");
  strcpy(LineBuf, p.c_str());
  ASSERT_EQ(GetFileContent(LineBuf, nullptr), 1);
  EXPECT_STREQ(LineBuf, "");

  // Longer than LineBuf: the first 4095 bytes, and the caller is told.
  std::string big;
  for (int i = 0; i < 5000; i++) big += static_cast<char>('a' + i % 26);
  dir_.Write("big", big);
  ASSERT_EQ(GetFileContent(dir_.path().c_str(), "big"), 1);
  EXPECT_EQ(std::string(LineBuf), big.substr(0, 4095));
  EXPECT_EQ(flContentCut, 1);

  dir_.Write("exact", big.substr(0, 4095));
  ASSERT_EQ(GetFileContent(dir_.path().c_str(), "exact"), 1);
  EXPECT_EQ(strlen(LineBuf), 4095u);
  EXPECT_EQ(flContentCut, 0);

  // Opened but unreadable (a directory): failure, and no text.
  ASSERT_EQ(mkdir((dir_ / "sub").c_str(), 0700), 0);
  EXPECT_EQ(GetFileContent(dir_.path().c_str(), "sub"), 0);
  EXPECT_STREQ(LineBuf, "");
}

TEST_F(FileReadTest, FileSearchFindsFirstMatchingLineAndClosesFile) {
  std::string p = dir_.Write("list", "one\ntwo x\nthree x\n");
  int fds = OpenDescriptors();
  char* line = FileSearch(p.c_str(), nullptr, 1);
  ASSERT_NE(line, nullptr);
  EXPECT_STREQ(line, "one\n");
  line = FileSearch(p.c_str(), "x", 1);
  ASSERT_NE(line, nullptr);
  EXPECT_STREQ(line, "two x\n");
  EXPECT_EQ(FileSearch(p.c_str(), "absent", 1), nullptr);
  EXPECT_EQ(OpenDescriptors(), fds);

  testing::internal::CaptureStderr();
  EXPECT_EQ(FileSearch((dir_ / "missing").c_str(), nullptr, 1), nullptr);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("ERROR: can't open file, "),
            std::string::npos);
}

TEST_F(FileReadTest, GetFileSize) {
  std::string p = dir_.Write("sized", std::string(123, 's'));
  EXPECT_EQ(GetFileSize(p.c_str()), 123);
  std::string missing = dir_ / "missing";
  EXPECT_EXIT(GetFileSize(missing.c_str()), ExitedWithCode(1),
              "^\nsetup:  : No such file or directory\n$");
}

TEST_F(FileReadTest, GetLineFiltersCommentsAndWhiteSpace) {
  std::string p = dir_.Write("src",
                             "  first // note\n"
                             "\n"
                             "/* whole */ second\n"
                             "a /* in */ b\n"
                             "x /* opens\n"
                             " inside\n"
                             " closes */ third\r\n"
                             "/* never closed\n");
  ASSERT_EQ(OpenInputFile(p.c_str(), 2), 1);
  EXPECT_EQ(GetLine(), 1);
  EXPECT_STREQ(Line, "first ");
  EXPECT_EQ(GetLine(), 2);  // the empty line is passed over
  EXPECT_STREQ(Line, " second");  // white space goes before comments
  long pos = InPos;
  EXPECT_EQ(GetLine(), 1);
  EXPECT_STREQ(Line, "a  b");
  EXPECT_EQ(GetLine(), 3);
  EXPECT_STREQ(Line, "third");
  EXPECT_EQ(Line[6], '\0');
  EXPECT_EQ(Line[511], '\0');
  EXPECT_EQ(GetLine(), 0);

  // A saved position re-reads its line.
  EXPECT_EQ(GetLinePos(pos), 2);
  EXPECT_STREQ(Line, " second");
  EXPECT_EQ(GetLinePos(0), 1);
  EXPECT_EQ(GetLineN(2), 1);
  EXPECT_STREQ(Line, "a  b");
  EXPECT_EQ(GetLineN(0), 0);

  flInputFilterState = 0;
  EXPECT_EQ(GetLinePos(0), 1);
  EXPECT_STREQ(Line, "  first // note\n");
}

TEST_F(FileReadTest, GetFileTextLineTakesFirstTokens) {
  std::string p = dir_.Write("words", "# comment\n\n  \t\nalpha beta\n\tgamma\n");
  ASSERT_EQ(OpenInputFile(p.c_str(), 2), 1);
  EXPECT_EQ(GetFileTextLine(nullptr), 0);
  ASSERT_EQ(GetFileTextLine(" \t\n"), 1);
  EXPECT_STREQ(LineBuf, "alpha");
  ASSERT_EQ(GetFileTextLine(" \t\n"), 1);
  EXPECT_STREQ(LineBuf, "gamma");
  EXPECT_EQ(GetFileTextLine(" \t\n"), 0);

  char buf[8];
  FILE* f = fopen(p.c_str(), "r");
  ASSERT_NE(f, nullptr);
  fgetsp(buf, sizeof buf, f, 11);
  EXPECT_STREQ(buf, "  \t\n");
  fgetsp(buf, 4, f, 15);
  EXPECT_STREQ(buf, "alp");
  fclose(f);
}

TEST_F(FileReadTest, OpenRawFile) {
  std::string p = dir_.Write("raw", "r");
  int fd = OpenRawFile(p.c_str(), O_RDONLY);
  EXPECT_GE(fd, 0);
  close(fd);
  testing::internal::CaptureStdout();
  EXPECT_LT(OpenRawFile((dir_ / "missing").c_str(), O_RDONLY), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR: can't open file, " + (dir_ / "missing"));
}

}  // namespace
