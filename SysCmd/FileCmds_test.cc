#include "MemMgr/MemMgr.h"
#include "SysCmd/SysCmdFixture.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

using FileCmdsTest = SysCmdTest;

TEST_F(FileCmdsTest, CreateFileRunsOnlyWhatIsNeeded) {
  StartLog();
  const std::string dir = scratch_.Sub("new/dir");
  CaptureStdout();
  CreateFile(dir.c_str(), ".PrintError", "666", nullptr, nullptr);
  EXPECT_EQ(GetCapturedStdout(), "...");
  ASSERT_EQ(gShellLines.size(), 3u);
  const std::string redir = " >> " + LogName() + " 2>> " + LogName();
  EXPECT_EQ(gShellLines[0], Prefix(CMD_MKDIR) + dir + redir);
  EXPECT_EQ(gShellLines[1], Prefix(CMD_TOUCH) + dir + "/.PrintError" + redir);
  EXPECT_EQ(gShellLines[2], Prefix(CMD_CHMOD) + "666 " + dir + "/.PrintError" + redir);
  EXPECT_EQ(FileMode(dir + "/.PrintError"), 0666);

  // An existing directory with a mode only: just the chmod.
  gShellLines.clear();
  CaptureStdout();
  CreateFile(dir.c_str(), nullptr, "775", nullptr, nullptr);
  GetCapturedStdout();
  ASSERT_EQ(gShellLines.size(), 1u);
  EXPECT_EQ(gShellLines[0], Prefix(CMD_CHMOD) + "775 " + dir + redir);
  EXPECT_EQ(FileMode(dir), 0775);

  // Owner and group follow the mode.
  gShellLines.clear();
  gShellRuns = false;
  ComList[CMD_CHOWN].pPath = "/usr/bin";
  ComList[CMD_CHGRP].pPath = "/usr/bin";
  CaptureStdout();
  CreateFile(dir.c_str(), "f", "644", "lp", "lp");
  GetCapturedStdout();
  ASSERT_EQ(gShellLines.size(), 4u);
  EXPECT_EQ(gShellLines[3], "/usr/bin/chgrp  lp " + dir + "/f" + redir);
  EXPECT_EQ(gShellLines[2], "/usr/bin/chown  lp " + dir + "/f" + redir);
}

TEST_F(FileCmdsTest, DeleteFileRemovesOnlyWhatIsListed) {
  StartLog();
  const std::string before = LogText();
  CaptureStdout();
  DeleteFile(scratch_.Path().c_str(), "absent");
  DeleteFile(scratch_.Sub("absent").c_str(), nullptr);
  EXPECT_EQ(GetCapturedStdout(), "");
  EXPECT_TRUE(gShellLines.empty());
  EXPECT_EQ(LogText(), before);

  MakeDirs(scratch_.Sub("ZantoInstall/pkg"));
  WriteFile(scratch_.Sub("setup.hlp"), "x");
  CaptureStdout();
  DeleteFile(scratch_.Path().c_str(), "ZantoInstall");
  DeleteFile(scratch_.Sub("setup.hlp").c_str(), nullptr);
  EXPECT_EQ(GetCapturedStdout(), "..");
  ASSERT_EQ(gShellLines.size(), 2u);
  EXPECT_EQ(gShellLines[0].rfind(Prefix(CMD_RM_RF) + scratch_.Sub("ZantoInstall") + " >> ", 0), 0u);
  EXPECT_EQ(LogText(), before + Prefix(CMD_RM_RF) + scratch_.Sub("ZantoInstall") + "\n" +
                           Prefix(CMD_RM_RF) + scratch_.Sub("setup.hlp") + "\n");
  EXPECT_FALSE(FileExists(scratch_.Sub("ZantoInstall")));
  EXPECT_FALSE(FileExists(scratch_.Sub("setup.hlp")));
}

TEST_F(FileCmdsTest, UserNameComesFromWhoami) {
  char* name = GetUserName();
  EXPECT_STREQ(name, "root");
  PutMem(name);
  {
    ScopedEnv who("FAKE_WHOAMI", "alice");
    name = GetUserName();
    EXPECT_STREQ(name, "alice");
    PutMem(name);
  }
  {
    ScopedEnv who("FAKE_WHOAMI", "");
    EXPECT_EQ(GetUserName(), nullptr);
  }
  ComList[CMD_WHOAMI].pPath = nullptr;
  EXPECT_EQ(GetUserName(), nullptr);
}

}  // namespace
