#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

char kSetup[] = "setup";

using ::testing::ExitedWithCode;
using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

class FileReadTest : public ::testing::Test {
 protected:
  void SetUp() override { my_name = kSetup; }
  void TearDown() override {
    CloseInputFile();
    flInputFilterState = 1;
  }
  TestDir dir_;
};

TEST_F(FileReadTest, OpenLevels) {
  const std::string bad = dir_ / "none/file", present = dir_.Write("present", "x\n");
  CaptureStderr();
  EXPECT_EQ(OpenFile(nullptr, bad.c_str(), "wt", 0), nullptr);
  EXPECT_EQ(OpenFile(nullptr, bad.c_str(), "wt", 1), nullptr);
  EXPECT_EQ(GetCapturedStderr(), "ERROR: can't open file, " + bad + "\n");
  EXPECT_EXIT(OpenFile(nullptr, bad.c_str(), "wt", 2), ExitedWithCode(1),
              "^\nsetup: can't open file, .*/none/file : No such file or directory\n$");
  // An open stream is reopened on the new path.
  FILE* f = OpenFile(OpenFile(nullptr, present.c_str(), "rt", 2), dir_.Write("b", "B\n").c_str(), "rt", 2);
  char buf[8];
  EXPECT_STREQ(fgets(buf, sizeof buf, f), "B\n");
  fclose(f);
  EXPECT_EQ(OpenFileF(nullptr, "wt", 0, "%s", std::string(600, 'n').c_str()), nullptr);  // never cut

  ASSERT_EQ(OpenInputFile(present.c_str(), 2), 1);
  strcpy(LineBuf, "stale");
  CaptureStderr();
  EXPECT_EQ(OpenInputFile(bad.c_str(), 1), 0);
  EXPECT_EQ(OpenInputFile(bad.c_str(), 0), 0);
  EXPECT_EQ(GetCapturedStderr(), "WARNING: can't open file, " + bad + "\n");
  EXPECT_EQ(pIn, nullptr);  // the earlier input file is gone too
  EXPECT_EQ(LineBuf[0], '\0');
  EXPECT_EXIT(OpenInputFile(bad.c_str(), 2), ExitedWithCode(0), "^ERROR: can't open file, .*/none/file\n$");
  strcpy(LineBuf, present.c_str());  // the path may be built in LineBuf itself
  EXPECT_EQ(OpenInputFileF(0, "%s", LineBuf), 1);
  EXPECT_EQ(OpenInputFileF(0, "%s", std::string(600, 'n').c_str()), 0);
  EXPECT_EQ(pIn, nullptr);

  int fd = OpenRawFile(present.c_str(), O_RDONLY);
  EXPECT_GE(fd, 0);
  close(fd);
  testing::internal::CaptureStdout();
  EXPECT_LT(OpenRawFile(bad.c_str(), O_RDONLY), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR: can't open file, " + bad);
}

TEST_F(FileReadTest, GetFileLineJoinsContinuationsAndCutsLongLines) {
  const std::string y1000(1000, 'y');
  const struct {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"a \\\nb\nc\n", {"a \\\nb\n", "c\n"}},
      {"x\\\n", {"x\\\n"}},  // the file ends inside a continuation
      {std::string(600, 'q') + "\n", {std::string(510, 'q'), std::string(90, 'q') + "\n"}},
      {"x\\\n" + y1000 + "\n", {"x\\\n" + y1000 + "\n"}},  // joined lines pass 510
  };
  for (const auto& c : cases) {
    ASSERT_EQ(OpenInputFile(dir_.Write("f", c.text).c_str(), 2), 1);
    std::vector<std::string> got;
    while (GetFileLine()) got.push_back(LineBuf);
    EXPECT_EQ(got, c.lines) << c.text;
    EXPECT_EQ(pIn, nullptr);
  }
  EXPECT_EQ(GetFileLine(), 0);

  std::string many;
  for (int i = 0; i < 3000; i++) many += "z\\\n";
  ASSERT_EQ(OpenInputFile(dir_.Write("many", many + "end\n").c_str(), 2), 1);
  ASSERT_EQ(GetFileLine(), 1);
  EXPECT_EQ(strlen(LineBuf), sizeof LineBuf - 1);  // up to what LineBuf holds
}

TEST_F(FileReadTest, GetFileContent) {
  const char* d = dir_.path().c_str();
  std::string big;
  for (int i = 0; i < 5000; i++) big += static_cast<char>('a' + i % 26);
  dir_.Write("big", big);
  ASSERT_EQ(GetFileContent(d, "big"), 1);
  EXPECT_EQ(std::string(LineBuf), big.substr(0, 4095));
  EXPECT_EQ(flContentCut, 1);
  dir_.Write("exact", big.substr(0, 4095));
  ASSERT_EQ(GetFileContent(d, "exact"), 1);
  EXPECT_EQ(strlen(LineBuf), 4095u);
  EXPECT_EQ(flContentCut, 0);

  EXPECT_EQ(GetFileContent(d, "missing"), 0);
  EXPECT_EQ(std::string(LineBuf), dir_ / "missing");  // the path it tried
  // A null name takes the first argument as the path, which may be in LineBuf.
  strcpy(LineBuf, dir_.Write("empty", "").c_str());
  ASSERT_EQ(GetFileContent(LineBuf, nullptr), 1);
  EXPECT_STREQ(LineBuf, "");
  ASSERT_EQ(mkdir((dir_ / "sub").c_str(), 0700), 0);  // opened but unreadable
  EXPECT_EQ(GetFileContent(d, "sub"), 0);
  EXPECT_STREQ(LineBuf, "");
}

TEST_F(FileReadTest, FileSearchAndSize) {
  auto openFds = [] {
    int n = 0;
    DIR* d = opendir("/proc/self/fd");
    while (readdir(d)) n++;
    closedir(d);
    return n;
  };
  const std::string p = dir_.Write("list", "one\ntwo x\nthree x\n");
  const int fds = openFds();
  EXPECT_STREQ(FileSearch(p.c_str(), nullptr, 1), "one\n");
  EXPECT_STREQ(FileSearch(p.c_str(), "x", 1), "two x\n");
  EXPECT_EQ(FileSearch(p.c_str(), "absent", 1), nullptr);
  EXPECT_EQ(openFds(), fds);  // the file is closed every time
  EXPECT_EQ(GetFileSize(p.c_str()), 18);
  EXPECT_EXIT(GetFileSize((dir_ / "missing").c_str()), ExitedWithCode(1),
              "^\nsetup:  : No such file or directory\n$");
}

TEST_F(FileReadTest, GetLineFiltersCommentsAndWhiteSpace) {
  const std::string p = dir_.Write("src",
                                   "  first // note\n\n/* whole */ second\na /* in */ b\n"
                                   "x /* opens\n inside\n closes */ third\r\n/* never closed\n");
  ASSERT_EQ(OpenInputFile(p.c_str(), 2), 1);
  EXPECT_EQ(GetLine(), 1);
  EXPECT_STREQ(Line, "first ");
  EXPECT_EQ(GetLine(), 2);  // the empty line is passed over
  EXPECT_STREQ(Line, " second");  // white space goes before comments
  const long pos = InPos;
  EXPECT_EQ(GetLine(), 1);
  EXPECT_STREQ(Line, "a  b");
  EXPECT_EQ(GetLine(), 3);
  EXPECT_STREQ(Line, "third");
  EXPECT_EQ(Line[511], '\0');
  EXPECT_EQ(GetLine(), 0);

  EXPECT_EQ(GetLinePos(pos), 2);  // a saved position re-reads its line
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
  const std::string p = dir_.Write("words", "# comment\n\n  \t\nalpha beta\n\tgamma\n");
  ASSERT_EQ(OpenInputFile(p.c_str(), 2), 1);
  EXPECT_EQ(GetFileTextLine(nullptr), 0);
  std::vector<std::string> got;
  while (GetFileTextLine(" \t\n")) got.push_back(LineBuf);
  EXPECT_EQ(got, (std::vector<std::string>{"alpha", "gamma"}));

  char buf[8];
  FILE* f = fopen(p.c_str(), "r");
  fgetsp(buf, sizeof buf, f, 11);
  EXPECT_STREQ(buf, "  \t\n");
  fgetsp(buf, 4, f, 15);
  EXPECT_STREQ(buf, "alp");
  fclose(f);
}

}  // namespace
