#include "SysCmd/SysCmdFixture.h"

namespace {

using CaptureTest = SysCmdTest;

// The lines of the list, which is released.
Lines Take(Response* list) {
  Lines out;
  for (Response* r = list; r; r = r->pNext) out.push_back(r->pRespLine);
  FreeResponseList(list);
  return out;
}

TEST_F(CaptureTest, KeepsLinesInOrderFiltersAndStaysSilent) {
  const std::string word(5000, 'x');
  testing::internal::CaptureStdout();
  EXPECT_EQ(Take(GetCmdResponse(CMD_SHELL, "", "printf '%%s\\n' one two three")),
            (Lines{"one\n", "two\n", "three\n"}));
  EXPECT_EQ(Take(GetCmdResponse(CMD_SHELL, "t", "printf '%%s\\n' one two three")),
            (Lines{"two\n", "three\n"}));
  EXPECT_EQ(GetCmdResponse(CMD_SHELL, "zz", "printf '%%s\\n' one two"), nullptr);
  EXPECT_EQ(GetCmdResponse(CMD_SHELL, "", "%s", "true"), nullptr);
  // A long line arrives in pieces, none lost.
  EXPECT_EQ(Take(GetCmdResponse(CMD_SHELL, "", "echo %s", word.c_str())),
            (Lines{std::string(4095, 'x'), std::string(905, 'x') + "\n"}));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_FALSE(FileExists(LogName()));
  EXPECT_EQ(SleepCalls(), "");
  EXPECT_TRUE(gShellLines.empty());
}

TEST_F(CaptureTest, WhatTheCommandSaysOnStandardErrorFollowsEarlierOutput) {
  EXPECT_EQ(Redirected([] {
              std::printf("before\n");
              Response* list = GetCmdResponse(CMD_SHELL, "", "echo said >&2; echo kept");
              std::printf("%s", list->pRespLine);
            }),
            "before\nsaid\nkept\n");
}

TEST_F(CaptureTest, DiskSpaceReadsAvailColumnOfEveryLayout) {
  const int64_t k16602 = 16602 * 1024LL;
  const struct { const char *layout, *avail; int result; int64_t bytes; } cases[] = {
      {"solaris", "16602", 1, k16602}, {"gnu", "16602", 1, k16602}, {"bsd", "16602", 1, k16602},
      {"solaris-wrap", "16602", 1, k16602}, {"solaris", "4294967296", 1, 4294967296LL * 1024},
      // Figures past 64 bits of bytes are held at the ends, not wrapped.
      {"gnu", "99999999999999999999", 1, INT64_MAX}, {"bsd", "-9007199254740993", 1, INT64_MIN},
      {"bsd", "-20", 1, -20 * 1024},
      {"noavail", "16602", 0, 0},  // no figure: check skipped
      {"header", "16602", 1, 0},   // no data line
  };
  for (const auto& c : cases) {
    ScopedEnv layout("FAKE_DF_LAYOUT", c.layout), avail("FAKE_DF_AVAIL", c.avail);
    int64_t bytes = -1;
    EXPECT_EQ(GetDiskSpace("/tmp", &bytes), c.result) << c.layout << " " << c.avail;
    EXPECT_EQ(bytes, c.bytes) << c.layout << " " << c.avail;
  }
  // The host's own df; and one that prints nothing on standard output.
  int64_t bytes = -1;
  EXPECT_EQ(GetDiskSpace(scratch_.Path().c_str(), &bytes), 1);
  EXPECT_TRUE(bytes > 0 && bytes % 1024 == 0) << bytes;
  EXPECT_EQ(GetDiskSpace(scratch_.Sub("missing dir").c_str(), &bytes), 0);
  EXPECT_EQ(bytes, 0);
}

TEST_F(CaptureTest, PsListHoldsExactCommandNamesOnly) {
  const std::string dir = scratch_.Sub("psbin");
  MakeDirs(dir);
  WriteFile(dir + "/ps",
            "#!/bin/sh\nprintf '%s\\n' '   PID TTY      TIME CMD' '   101 ?   0:00 lpsched' "
            "'   102 ?   0:00 lpsched-old' '   103 pts/1   0:00 sh' '  1040 ?   0:02 lpsched'\n",
            0755);
  ComList[CMD_PS].pPath = dir.c_str();
  EXPECT_EQ(TakeText(GetSysPsIdList("lpsched")), " 101 1040 ");
  EXPECT_EQ(GetSysPsIdList("cron"), nullptr);
}

}  // namespace
