#include "MemMgr/MemMgr.h"
#include "SysCmd/SysCmdFixture.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

using CaptureTest = SysCmdTest;

std::vector<std::string> Lines(Response* list) {
  std::vector<std::string> out;
  for (; list; list = list->pNext) out.push_back(list->pRespLine);
  return out;
}

TEST_F(CaptureTest, KeepsLinesInOrderAndFilters) {
  CaptureStdout();
  Response* all = GetCmdResponse(CMD_SHELL, "", "printf '%%s\\n' one two three");
  EXPECT_EQ(Lines(all), (std::vector<std::string>{"one\n", "two\n", "three\n"}));
  FreeResponseList(all);
  Response* some = GetCmdResponse(CMD_SHELL, "t", "printf '%%s\\n' one two three");
  EXPECT_EQ(Lines(some), (std::vector<std::string>{"two\n", "three\n"}));
  FreeResponseList(some);
  EXPECT_EQ(GetCmdResponse(CMD_SHELL, "zz", "printf '%%s\\n' one two"), nullptr);
  EXPECT_EQ(GetCmdResponse(CMD_SHELL, "", "%s", "true"), nullptr);
  FreeResponseList(nullptr);
  // Silent: no echo, no log, no pause.
  EXPECT_EQ(GetCapturedStdout(), "");
  EXPECT_FALSE(FileExists(LogName()));
  EXPECT_EQ(SleepCalls(), "");
  EXPECT_TRUE(gShellLines.empty());
}

TEST_F(CaptureTest, LongLineArrivesInPieces) {
  const std::string word(5000, 'x');
  Response* list = GetCmdResponse(CMD_SHELL, "", "echo %s", word.c_str());
  const std::vector<std::string> lines = Lines(list);
  FreeResponseList(list);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(4095, 'x'));
  EXPECT_EQ(lines[1], std::string(905, 'x') + "\n");
}

TEST_F(CaptureTest, UnresolvedRowEndsWithStatusZero) {
  ComList[CMD_DF].pPath = nullptr;
  int64_t bytes = 0;
  EXPECT_EXIT(GetDiskSpace("/tmp", &bytes), testing::ExitedWithCode(0),
              "^ERROR: unable to locate system command 'df'\n$");
}

struct DfCase {
  const char* layout;
  const char* avail;
  int result;
  int64_t bytes;
};

TEST_F(CaptureTest, DiskSpaceReadsAvailColumnOfEveryLayout) {
  const DfCase cases[] = {
      {"solaris", "16602", 1, 16602 * 1024LL},
      {"gnu", "16602", 1, 16602 * 1024LL},
      {"bsd", "16602", 1, 16602 * 1024LL},
      {"solaris-wrap", "16602", 1, 16602 * 1024LL},
      {"gnu", "83886080", 1, 85899345920LL},                    // 80 GB
      {"solaris", "4294967296", 1, 4294967296LL * 1024},        // 4 TB
      {"noavail", "16602", 0, 0},                               // no figure: check skipped
      {"header", "16602", 1, 0},                                // no data line
  };
  for (const DfCase& c : cases) {
    ScopedEnv layout("FAKE_DF_LAYOUT", c.layout);
    ScopedEnv avail("FAKE_DF_AVAIL", c.avail);
    int64_t bytes = -1;
    EXPECT_EQ(GetDiskSpace("/tmp", &bytes), c.result) << c.layout << " " << c.avail;
    EXPECT_EQ(bytes, c.bytes) << c.layout << " " << c.avail;
  }
}

TEST_F(CaptureTest, DiskSpaceOfThisHost) {
  int64_t bytes = -1;
  EXPECT_EQ(GetDiskSpace(scratch_.Path().c_str(), &bytes), 1);
  EXPECT_GT(bytes, 0);
  EXPECT_EQ(bytes % 1024, 0);
  // df that prints nothing on standard output: no figure.
  bytes = -1;
  EXPECT_EQ(GetDiskSpace(scratch_.Sub("missing dir").c_str(), &bytes), 0);
  EXPECT_EQ(bytes, 0);
}

TEST_F(CaptureTest, PsListHoldsExactCommandNamesOnly) {
  const std::string dir = scratch_.Sub("psbin");
  MakeDirs(dir);
  WriteFile(dir + "/ps",
            "#!/bin/sh\n"
            "echo '   PID TTY      TIME CMD'\n"
            "echo '   101 ?        0:00 lpsched'\n"
            "echo '   102 ?        0:00 lpsched-old'\n"
            "echo '   103 pts/1    0:00 sh'\n"
            "echo '  1040 ?        0:02 lpsched'\n",
            0755);
  ComList[CMD_PS].pPath = dir.c_str();
  char* ids = GetSysPsIdList("lpsched");
  ASSERT_NE(ids, nullptr);
  EXPECT_STREQ(ids, " 101 1040 ");
  PutMem(ids);
  EXPECT_EQ(GetSysPsIdList("cron"), nullptr);
  ComList[CMD_PS].pPath = nullptr;
}

}  // namespace
