#include "SysCmd/SysCmdFixture.h"

namespace {

using FileCmdsTest = SysCmdTest;

TEST_F(FileCmdsTest, CreateAndDeleteRunOnlyWhatIsNeeded) {
  StartLog();
  const std::string dir = scratch_.Sub("new/dir"), file = dir + "/.PrintError";
  EXPECT_EQ(Out([&] { CreateFile(dir.c_str(), ".PrintError", "666", nullptr, nullptr); }), "...");
  EXPECT_EQ(gShellLines,
            (Lines{Prefix(CMD_MKDIR) + dir + Redir(), Prefix(CMD_TOUCH) + file + Redir(),
                   Prefix(CMD_CHMOD) + "666 " + file + Redir()}));
  EXPECT_EQ(FileMode(file), 0666);
  // An existing directory with a mode only: just the chmod.
  gShellLines.clear();
  Out([&] { CreateFile(dir.c_str(), nullptr, "775", nullptr, nullptr); });
  EXPECT_EQ(gShellLines, Lines{Prefix(CMD_CHMOD) + "775 " + dir + Redir()});
  EXPECT_EQ(FileMode(dir), 0775);
  // Only existing entries are removed, each by one logged rm -rf.
  gShellLines.clear();
  EXPECT_EQ(Out([&] {
              DeleteFile(dir.c_str(), "absent");
              DeleteFile(scratch_.Sub("absent").c_str(), nullptr);
              DeleteFile(scratch_.Path().c_str(), "new");
              DeleteFile(file.c_str(), nullptr);
            }),
            ".");
  EXPECT_EQ(gShellLines, Lines{Prefix(CMD_RM_RF) + scratch_.Sub("new") + Redir()});
  EXPECT_FALSE(FileExists(scratch_.Sub("new")));
  // Owner and group follow the mode.
  gShellLines.clear();
  gShellRuns = false;
  ComList[CMD_CHOWN].pPath = ComList[CMD_CHGRP].pPath = "/usr/bin";
  Out([&] { CreateFile(dir.c_str(), "f", "644", "lp", "lp"); });
  ASSERT_EQ(gShellLines.size(), 5u);  // mkdir, touch, chmod, chown, chgrp
  EXPECT_EQ(gShellLines[3], "/usr/bin/chown  lp " + dir + "/f" + Redir());
  EXPECT_EQ(gShellLines[4], "/usr/bin/chgrp  lp " + dir + "/f" + Redir());
}

TEST_F(FileCmdsTest, UserNameComesFromWhoami) {
  for (const char* who : {"alice", ""}) {
    ScopedEnv env("FAKE_WHOAMI", who);
    EXPECT_EQ(TakeText(GetUserName()), *who ? who : "(none)");
  }
  ComList[CMD_WHOAMI].pPath = nullptr;
  EXPECT_EQ(GetUserName(), nullptr);
}

}  // namespace
