#include "SysCmd/Capture.h"
#include "SysCmd/SysCmdFixture.h"

namespace {

using CaptureTest = SysCmdTest;

TEST_F(CaptureTest, KeepsLinesInOrderFiltersAndStaysSilentAndPsListHoldsExactNames) {
  testing::internal::CaptureStdout();
  Response* list = GetCmdResponse(CMD_SHELL, "t", "printf '%%s\\n' one two three");
  ASSERT_TRUE(list && list->pNext && !list->pNext->pNext);
  EXPECT_EQ(std::string(list->pRespLine) + list->pNext->pRespLine, "two\nthree\n");
  FreeResponseList(list);
  EXPECT_EQ(GetCmdResponse(CMD_SHELL, "", "%s", "true"), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_FALSE(FileExists(LogName()));
  EXPECT_EQ(SleepCalls(), "");
  EXPECT_TRUE(gShellLines.empty());
  // What the command says on standard error follows earlier output.
  EXPECT_EQ(Redirected([] {
              std::printf("before\n");
              Response* said = GetCmdResponse(CMD_SHELL, "", "echo said >&2; echo kept");
              std::printf("%s", said->pRespLine);
            }),
            "before\nsaid\nkept\n");
  // ps -e: the numbers of the processes whose command is the name exactly.
  WriteFile(scratch_.Sub("ps"),
            "#!/bin/sh\nprintf '%s\\n' '   PID TTY      TIME CMD' '   101 ?   0:00 lpsched' "
            "'   102 ?   0:00 lpsched-old' '   103 pts/1   0:00 sh' '  1040 ?   0:02 lpsched'\n",
            0755);
  ComList[CMD_PS].pPath = scratch_.Path().c_str();
  EXPECT_EQ(TakeText(GetSysPsIdList("lpsched")), " 101 1040 ");
  EXPECT_EQ(GetSysPsIdList("cron"), nullptr);
}

TEST_F(CaptureTest, DiskSpaceIsTheAvailColumnInBytes) {
  const std::string solaris = "Filesystem  kbytes  used   avail capacity  Mounted on\n";
  const std::string gnu = "Filesystem     1K-blocks    Used Available Use% Mounted on\n";
  const struct { std::string df; int result; int64_t bytes; } cases[] = {
      {solaris + "/dev/dsk/c0t0d0s0 2055446 918303 4294967296 48% /\n", 1, 4294967296LL * 1024},
      {gnu + "/dev/sda1  2055446  918303 16602  48% /\n", 1, 16602 * 1024},
      // A long device name puts the figures on the next line.
      {solaris + "/dev/md/dsk/d10/a/long/name\n    2055446  918303 16602    48%    /\n", 1,
       16602 * 1024},
      // Figures past 64 bits of bytes are held at the ends, not wrapped.
      {gnu + "/dev/sda1 1 1 99999999999999999999 1% /\n", 1, INT64_MAX},
      {gnu + "/dev/sda1 1 1 -9007199254740993 1% /\n", 1, INT64_MIN},
      {"Filesystem 1K-blocks Used Free Use% Mounted on\n/dev/sda1 1 1 16602 1% /\n", 0, 0},
      {solaris, 1, 0},  // no data line
      {"", 0, 0},       // df printed nothing: check skipped
  };
  for (const auto& c : cases) {
    FILE* in = fmemopen(const_cast<char*>(c.df.data()), c.df.size(), "r");
    Response* list = ReadResponse(in, "");
    std::fclose(in);
    int64_t bytes = -1;
    EXPECT_EQ(DiskSpaceOf(list, &bytes), c.result) << c.df;
    EXPECT_EQ(bytes, c.bytes) << c.df;
    FreeResponseList(list);
  }
  // The stand-in df prints the Solaris layout.
  ScopedEnv avail("FAKE_DF_AVAIL", "16602");
  int64_t bytes = -1;
  EXPECT_EQ(GetDiskSpace("/tmp", &bytes), 1);
  EXPECT_EQ(bytes, 16602 * 1024);
}

}  // namespace
