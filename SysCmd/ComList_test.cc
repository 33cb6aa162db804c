#include <unistd.h>

#include <cstring>

#include "MemMgr/MemMgr.h"
#include "SysCmd/SysCmdFixture.h"

namespace {

constexpr char kSearchPaths[] = "/usr/bin:/usr/ucb:/usr/sbin:/bin:/sbin:/usr/lib:/usr/lib/lp";

// A directory that lists every command of the table (plain empty files).
void FillWithAllCommands(const std::string& dir) {
  MakeDirs(dir);
  for (int row = 2; ComList[row].pCmd; ++row) WriteFile(dir + "/" + ComList[row].pCmd, "");
}

using ComListTest = SysCmdTest;

TEST_F(ComListTest, TableRowsAreFixed) {
  EXPECT_STREQ(ComList[CMD_SHELL].pCmd, "");
  EXPECT_STREQ(ComList[CMD_SHELL_LOG].pCmd, "");
  EXPECT_STREQ(ComList[CMD_CP].pArgs, "-p");
  EXPECT_STREQ(ComList[CMD_KILL].pArgs, "-KILL");
  EXPECT_STREQ(ComList[CMD_TAR_EXTRACT].pArgs, "xvfp");
  EXPECT_STREQ(ComList[CMD_DF].pCmd, "df");
  EXPECT_STREQ(ComList[CMD_DF].pArgs, "-k");
  EXPECT_EQ(ComList[46].pCmd, nullptr);
  std::string noPause;
  for (int row = 0; row < 46; ++row)
    if (ComList[row].Delay == 0) noPause += std::string(" ") + ComList[row].pCmd;
  EXPECT_EQ(noPause, " clear file sleep df");
}

TEST_F(ComListTest, UnsetPathSearchesOnlyFixedList) {
  ResetSysCmdList();
  ScopedEnv noPath("PATH", std::nullopt);
  InitSysCmdList();
  EXPECT_EQ(flSysCmdLog, 1);
  EXPECT_EQ(ComList[CMD_LS].pPath, SearchPaths);  // /usr/bin, first in the list
  EXPECT_STREQ(ComList[CMD_LS].pPath, "/usr/bin");
  EXPECT_EQ(SearchPaths[8], '\0');  // cut in place
  EXPECT_EQ(ComList[CMD_SHELL].pPath, nullptr);
  EXPECT_EQ(ComList[CMD_SHELL_LOG].pPath, nullptr);
}

TEST_F(ComListTest, FirstPathDirectoryWinsAndEmptyEntriesAreSkipped) {
  const std::string a = scratch_.Sub("opt/bin"), b = scratch_.Sub("usr/bin");
  MakeDirs(a);
  MakeDirs(b);
  WriteFile(a + "/ls", "");
  WriteFile(b + "/ls", "");
  WriteFile(b + "/eject", "");
  WriteFile(b + "/rm", "");
  MakeDirs(b + "/tar");  // any kind of entry counts
  ResetSysCmdList();
  ScopedEnv path("PATH", a + "::" + b);
  InitSysCmdList();
  EXPECT_EQ(ComList[CMD_LS].pPath, a);
  EXPECT_EQ(ComList[CMD_EJECT].pPath, b);
  EXPECT_EQ(ComList[CMD_EJECT_QUERY].pPath, ComList[CMD_EJECT].pPath);
  EXPECT_EQ(ComList[CMD_RM_RF].pPath, ComList[CMD_RM].pPath);
  EXPECT_EQ(ComList[CMD_TAR_CREATE].pPath, b);
  EXPECT_EQ(ComList[CMD_TAR_EXTRACT].pPath, b);
  // Rows missing from PATH come from the fixed list.
  EXPECT_STREQ(ComList[CMD_CAT].pPath, "/usr/bin");
}

TEST_F(ComListTest, RelativeEntryIsKeptAsGiven) {
  const std::string dir = scratch_.Sub("cwd");
  MakeDirs(dir);
  WriteFile(dir + "/ls", "");
  char cwd[4096];
  ASSERT_TRUE(getcwd(cwd, sizeof cwd));
  ASSERT_EQ(chdir(dir.c_str()), 0);
  ResetSysCmdList();
  {
    ScopedEnv path("PATH", ".");
    InitSysCmdList();
  }
  ASSERT_EQ(chdir(cwd), 0);
  EXPECT_STREQ(ComList[CMD_LS].pPath, ".");
  char* cmd = GetCmd(CMD_LS);
  EXPECT_STREQ(cmd, "./ls ");
  PutMem(cmd);
}

TEST_F(ComListTest, FixedListUntouchedOnceAllRowsAreFound) {
  const std::string all = scratch_.Sub("all");
  FillWithAllCommands(all);
  EXPECT_EQ(FillCmdPaths(scratch_.Sub("missing").c_str()), 1);
  ResetSysCmdList();
  ScopedEnv path("PATH", all + ":" + FakeBinDir());
  InitSysCmdList();
  for (int row = 2; row < 46; ++row) EXPECT_EQ(ComList[row].pPath, all) << row;
  EXPECT_STREQ(SearchPaths, kSearchPaths);
  // The directory that completes the table reports so; the directory
  // text must outlive the table.
  const std::string fake = FakeBinDir();
  ResetSysCmdList();
  EXPECT_EQ(FillCmdPaths(fake.c_str()), 1);
  EXPECT_EQ(FillCmdPaths(all.c_str()), 0);
  EXPECT_EQ(ComList[CMD_SLEEP].pPath, fake.c_str());
  ResetSysCmdList();
}

TEST_F(ComListTest, GetCmdJoinsDirectoryWordAndArguments) {
  char* whoami = GetCmd(CMD_WHOAMI);
  EXPECT_EQ(std::string(whoami), FakeBinDir() + "/whoami ");
  PutMem(whoami);
  char* cp = GetCmd(CMD_CP);
  EXPECT_EQ(std::string(cp), std::string(ComList[CMD_CP].pPath) + "/cp -p");
  PutMem(cp);
  ComList[CMD_WHOAMI].pPath = nullptr;
  EXPECT_EQ(GetCmd(CMD_WHOAMI), nullptr);
  EXPECT_EQ(GetCmd(CMD_SHELL), nullptr);
}

}  // namespace
