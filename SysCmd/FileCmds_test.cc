#include <unistd.h>

#include "SysCmd/SysCmdFixture.h"

namespace {

using FileCmdsTest = SysCmdTest;

TEST_F(FileCmdsTest, CreateAndDeleteRunOnlyWhatIsNeeded) {
  StartLog();
  const std::string dir = scratch_.Sub("new/dir"), file = dir + "/.PrintError";
  const std::string uid = std::to_string(geteuid()), gid = std::to_string(getegid());
  EXPECT_EQ(Out([&] { CreateFile(dir.c_str(), ".PrintError", "666", uid.c_str(), gid.c_str()); }),
            ".....");
  // An existing directory with a mode only: just the chmod.
  Out([&] { CreateFile(dir.c_str(), nullptr, "775", nullptr, nullptr); });
  EXPECT_EQ(gShellLines,
            (Lines{"@/bin/mkdir -p @/new/dir >> @/t.log 2>> @/t.log",
                   "@/bin/touch  @/new/dir/.PrintError >> @/t.log 2>> @/t.log",
                   "@/bin/chmod  666 @/new/dir/.PrintError >> @/t.log 2>> @/t.log",
                   "@/bin/chown  " + uid + " @/new/dir/.PrintError >> @/t.log 2>> @/t.log",
                   "@/bin/chgrp  " + gid + " @/new/dir/.PrintError >> @/t.log 2>> @/t.log",
                   "@/bin/chmod  775 @/new/dir >> @/t.log 2>> @/t.log"}));
  EXPECT_EQ(FileMode(file), 0666);
  // Only existing entries are removed, each by one logged rm -rf.
  gShellLines.clear();
  EXPECT_EQ(Out([&] {
              DeleteFile(dir.c_str(), "absent");
              DeleteFile(scratch_.Path().c_str(), "new");
              DeleteFile(file.c_str(), nullptr);
            }),
            ".");
  EXPECT_EQ(gShellLines, (Lines{"@/bin/rm -rf @/new >> @/t.log 2>> @/t.log"}));
  EXPECT_FALSE(FileExists(scratch_.Sub("new")));
}

TEST_F(FileCmdsTest, DeleteFileNeverRemovesTheRoot) {
  // rm looked for where there is none: should a case slip through, nothing is removed.
  ComList[CMD_RM_RF].pPath = "/nonexistent/bin";
  StartLog();
  const std::string link = scratch_.Sub("rootlink");
  ASSERT_EQ(symlink("/", link.c_str()), 0);
  // Each spelling names an existing entry, the root directory.
  const struct { std::string path; const char* name; } roots[] = {
      {"/", nullptr}, {"/", ""},  {"//", nullptr},        {"/..", nullptr},
      {"/", "."},     {"/tmp", ".."}, {link + "/", nullptr}, {link, "."},
  };
  for (const auto& r : roots) {
    const std::string target = r.path + (r.name && *r.name ? "/" + std::string(r.name) : "");
    ASSERT_EQ(FindFile(r.path.c_str(), r.name), 1) << target;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Out([&] { DeleteFile(r.path.c_str(), r.name); }), "") << target;
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING: not removing the root directory, " + target + "\n");
  }
  // The link itself is only a link.
  Out([&] { DeleteFile(link.c_str(), nullptr); });
  EXPECT_EQ(gShellLines, (Lines{"/nonexistent/bin/rm -rf @/rootlink >> @/t.log 2>> @/t.log"}));
}

TEST_F(FileCmdsTest, UserNameComesFromWhoami) {
  for (const char* who : {"alice", ""}) {
    ScopedEnv env("FAKE_WHOAMI", who);
    EXPECT_EQ(TakeText(GetUserName()), *who ? who : "(none)");
  }
  // What whoami says on standard error follows what was printed before.
  ComList[CMD_WHOAMI].pPath = scratch_.Path().c_str();
  WriteFile(scratch_.Sub("whoami"), "#!/bin/sh\necho said >&2\necho bob\n", 0755);
  EXPECT_EQ(Redirected([] {
              std::printf("before\n");
              std::printf("%s\n", GetUserName());
            }),
            "before\nsaid\nbob\n");
  ComList[CMD_WHOAMI].pPath = nullptr;
  EXPECT_EQ(GetUserName(), nullptr);
}

}  // namespace
