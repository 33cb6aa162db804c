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

class FileReadTest : public ::testing::Test {
 protected:
  void SetUp() override { my_name = kSetup; }
  void TearDown() override { CloseInputFile(); }
  TestDir dir_;
};

TEST_F(FileReadTest, OpenLevels) {
  const std::string bad = dir_ / "none/file", present = dir_.Write("present", "x\n");
  testing::internal::CaptureStderr();
  for (int level : {0, 1}) EXPECT_EQ(OpenFile(nullptr, bad.c_str(), "wt", level), nullptr);
  ASSERT_EQ(OpenInputFile(present.c_str(), 2), 1);
  strcpy(LineBuf, "stale");
  for (int level : {0, 1}) EXPECT_EQ(OpenInputFile(bad.c_str(), level), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: can't open file, " + bad + "\nWARNING: can't open file, " + bad + "\n");
  EXPECT_TRUE(pIn == nullptr && LineBuf[0] == '\0');  // the earlier input file is gone too
  EXPECT_EXIT(OpenFile(nullptr, bad.c_str(), "wt", 2), ExitedWithCode(1),
              "^\nsetup: can't open file, .*/none/file : No such file or directory\n$");
  EXPECT_EXIT(OpenInputFile(bad.c_str(), 2), ExitedWithCode(1),
              "^ERROR: can't open file, .*/none/file\n$");
  // An open stream is reopened on the new path.
  FILE* f = OpenFile(OpenFile(nullptr, bad.c_str(), "w", 0), present.c_str(), "r", 2);
  EXPECT_STREQ(fgets(LineBuf, 8, f), "x\n");
  fclose(f);
  // A formatted path that does not fit is not cut to one that exists.
  const std::string cut = dir_.path() + std::string(504 - dir_.path().size(), '/') + "present";
  EXPECT_EQ(OpenFileF(nullptr, "rt", 0, "%s", (cut + "xx").c_str()), nullptr);
  EXPECT_EQ(OpenInputFileF(0, "%s", cut.c_str()), 1);
  EXPECT_EQ(OpenInputFileF(0, "%s", (cut + "xx").c_str()), 0);
  EXPECT_EQ(pIn, nullptr);
  testing::internal::CaptureStdout();
  EXPECT_LT(OpenRawFile(bad.c_str(), O_RDONLY), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR: can't open file, " + bad);
}

TEST_F(FileReadTest, LinesJoinedCutAndTokenized) {
  std::string z1365;  // 4095 bytes: what LineBuf holds
  for (int i = 0; i < 1365; i++) z1365 += "z\\\n";
  const struct { std::string text; std::vector<std::string> lines; } cases[] = {
      {"a \\\nb\nc\n", {"a \\\nb\n", "c\n"}},
      {std::string(600, 'q') + "\n", {std::string(510, 'q'), std::string(90, 'q') + "\n"}},
      {z1365 + "end\n", {z1365, "end\n"}},
  };
  std::vector<std::string> got;
  for (const auto& c : cases) {
    ASSERT_EQ(OpenInputFile(dir_.Write("f", c.text).c_str(), 2), 1);
    for (got.clear(); GetFileLine();) got.push_back(LineBuf);
    EXPECT_EQ(got, c.lines) << c.text;
  }
  // First tokens of the lines that are no comment.
  const std::string p = dir_.Write("words", "# comment\n\n  \t\nalpha beta\n\tgamma\n");
  ASSERT_EQ(OpenInputFile(p.c_str(), 2), 1);
  EXPECT_EQ(GetFileTextLine(nullptr), 0);
  for (got.clear(); GetFileTextLine(" \t\n");) got.push_back(LineBuf);
  EXPECT_EQ(got, (std::vector<std::string>{"alpha", "gamma"}));
  FILE* f = fopen(p.c_str(), "r");
  fgetsp(LineBuf, 4, f, 15);
  EXPECT_STREQ(LineBuf, "alp");
  fclose(f);
}

TEST_F(FileReadTest, WholeFilesSearchAndSize) {
  const char* d = dir_.path().c_str();
  for (size_t len : {5000u, 4095u}) {  // LineBuf holds 4095 bytes
    dir_.Write("f", std::string(4000, 'a') + std::string(len - 4000, 'b'));
    ASSERT_EQ(GetFileContent(d, "f"), 1);
    EXPECT_EQ(LineBuf, std::string(4000, 'a') + std::string(95, 'b'));
    EXPECT_EQ(flContentCut, len > 4095);
  }
  EXPECT_EQ(GetFileContent(d, "missing"), 0);
  EXPECT_EQ(std::string(LineBuf), dir_ / "missing");  // the path it tried
  // A null name takes the first argument as the path, which may be in LineBuf.
  strcpy(LineBuf, dir_.Write("empty", "").c_str());
  ASSERT_EQ(GetFileContent(LineBuf, nullptr), 1);
  EXPECT_STREQ(LineBuf, "");
  // Only regular files are read, and a FIFO nobody writes to never blocks.
  ASSERT_EQ(mkdir((dir_ / "sub").c_str(), 0700) + mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  for (const char* odd : {"sub", "fifo"}) {
    EXPECT_EQ(GetFileContent(d, odd), 0) << odd;
    EXPECT_EQ(OpenInputFile((dir_ / odd).c_str(), 0), 0) << odd;
    EXPECT_EQ(FileSearch((dir_ / odd).c_str(), nullptr, 0), nullptr) << odd;
  }
  // The lowest free descriptor: higher after a leak.
  auto nextFd = [] { const int fd = dup(0); close(fd); return fd; };
  const std::string p = dir_.Write("list", "one\ntwo x\nthree x\n");
  const int fd = nextFd();
  EXPECT_STREQ(FileSearch(p.c_str(), nullptr, 1), "one\n");
  EXPECT_STREQ(FileSearch(p.c_str(), "x", 1), "two x\n");
  EXPECT_EQ(FileSearch(p.c_str(), "absent", 1), nullptr);
  EXPECT_EQ(nextFd(), fd);
  EXPECT_EQ(GetFileSize(p.c_str()), 18);
  EXPECT_EXIT(GetFileSize((dir_ / "missing").c_str()), ExitedWithCode(1),
              "^\nsetup:  : No such file or directory\n$");
}

TEST_F(FileReadTest, GetLineFiltersCommentsAndWhiteSpace) {
  const std::string p = dir_.Write("src",
                                   "  first // note\n\n/* whole */ second\n"
                                   "x /* opens\n inside\n closes */ third\r\n/* never closed\n");
  ASSERT_EQ(OpenInputFile(p.c_str(), 2), 1);
  std::string got;
  for (int lines; (lines = GetLine()) != 0;) got += std::to_string(lines) + ":" + Line + "|";
  // White space goes before comments; a comment that never closes takes the rest.
  EXPECT_EQ(got, "1:first |1:|1: second|3:third|");
  EXPECT_EQ(GetLinePos(0) + GetLineN(2), 2);  // back to the start, then two lines on
  EXPECT_STREQ(Line, " second");
  EXPECT_EQ(GetLineN(0), 0);
}

}  // namespace
