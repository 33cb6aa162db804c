// The command runner: its log, echo, pauses and failures; the file
// commands built on it; captured output.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "SysCmd/Capture.h"
#include "SysCmd/SysCmdFixture.h"

namespace {

using RunnerTest = SysCmdTest;

TEST_F(RunnerTest, LogIsMadeAfreshWithChmodFirstAndNoLinkFollowed) {
  const std::string file = scratch_ / "f", target = scratch_ / "secret";
  WriteFile(file, "");
  EXPECT_EQ(Out([&] { EXPECT_EQ(SysCmd(CMD_CHMOD, SC_FATAL, "%s %s", "755", file.c_str()), 0); }),
            "..");
  // The log file itself is made without the shell.
  EXPECT_EQ(gShellLines, (Lines{"@/bin/chmod  666 @/t.log >> @/t.log 2>> @/t.log",
                          "@/bin/chmod  755 @/f >> @/t.log 2>> @/t.log"}));
  EXPECT_EQ(LogText(), "@/bin/chmod  666 @/t.log\n@/bin/chmod  755 @/f\n");
  // The next run's log replaces a planted link; its target stays as it was.
  WriteFile(target, "keep\n", 0600);
  SetUp();
  ASSERT_EQ(unlink(LogName().c_str()) + symlink(target.c_str(), LogName().c_str()), 0);
  // rm, chmod, the call
  EXPECT_EQ(Out([] { SysCmd(CMD_SHELL_LOG, SC_WARN, "echo hi"); }), "...");
  EXPECT_EQ(gShellLines.at(0), "@/bin/rm -rf @/t.log");
  EXPECT_EQ(LogText(), "@/bin/chmod  666 @/t.log\necho hi\nhi\n");
  EXPECT_EQ(FileMode(LogName()), 0666);
  EXPECT_EQ(ReadText(target), "keep\n");
}

TEST_F(RunnerTest, WithoutALogLinesAndReportsKeepTheirOrderInRedirectedOutput) {
  // A log that cannot be made leaves the lines on the terminal, unredirected;
  // a pause that prints shows where each flush falls.
  const std::string missing = scratch_ / "no/such/dir", loud = scratch_ / "loud";
  pLogPath = missing.c_str();
  std::filesystem::create_directories(loud);
  WriteFile(loud + "/sleep", "#!/bin/sh\necho pause $1\n", 0755);
  ComList[CMD_SLEEP].pPath = loud.c_str();
  EXPECT_EQ(Redirected([] {
              std::printf("before\n");
              std::printf("=%d\n", SysCmd(CMD_SHELL, SC_FATAL, "echo out"));
              SysCmd(CMD_SHELL, SC_WARN, "exit 3");
            }),
            "before\nWARNING: can't create log file, @/no/such/dir/t.log: No such file or "
            "directory\necho out\nout\npause 1\n=0\nexit 3\nWARNING_MSG: exit status 3\npause 1\n");
}

TEST_F(RunnerTest, RedirectionsFollowRowAndFormatAndValuesStayOneWord) {
  StartLog();
  // '>' only in a value leaves the redirections on.
  const std::string odd = scratch_ / "it's;$(touch pwned)>`touch pwned`", word(5000, 'w');
  const std::string out = Out([&] {
    SysCmd(CMD_CAT, SC_WARN, "%s > %s", "/dev/null", (scratch_ / "out").c_str());
    SysCmd(CMD_SHELL, SC_WARN, "echo shown");
    SysCmd(CMD_SHELL_LOG, SC_WARN, "echo %s", word.c_str());
    EXPECT_EQ(SysCmd(CMD_TOUCH, SC_FATAL, "%s", odd.c_str()), 0);
  });
  EXPECT_EQ(gShellLines, (Lines{"@/bin/cat  /dev/null > @/out", "echo shown 2>> @/t.log",
                          "echo " + word + " >> @/t.log 2>> @/t.log",
                          "@/bin/touch  '@/it'\\''s;$(touch pwned)>`touch pwned`' >> @/t.log "
                          "2>> @/t.log"}));
  EXPECT_EQ(out, "..shown\n..");
  EXPECT_TRUE(Exists(odd));
  EXPECT_FALSE(Exists("pwned") || Exists(scratch_ / "pwned"));
  EXPECT_NE(LogText().find("echo " + word + "\n" + word + "\n"), std::string::npos);
  EXPECT_EQ(LogText().find("\nshown\n"), std::string::npos);
}

TEST_F(RunnerTest, QuietModeIsSilentAndOnlyRowsWithDelayPause) {
  StartLog();
  const std::string before = LogText();
  EXPECT_EQ(Out([] {
              EXPECT_EQ(SysCmd(CMD_EJECT_QUERY, SC_QUIET, "%s", ""), 0);
              EXPECT_EQ(SysCmd(CMD_SHELL, SC_QUIET, "exit 5"), 5 << 8);  // failed, not reported
              SysCmd(CMD_CLEAR, SC_QUIET, "%s", "");
              SysCmd(CMD_SLEEP, SC_QUIET, "%s", "7");
            }),
            "");
  EXPECT_EQ(LogText(), before);
  const std::string fake = FakeBinDir();
  EXPECT_EQ(gShellLines,
            (Lines{fake + "/eject -q ", "exit 5", fake + "/clear  ", fake + "/sleep  7"}));
  EXPECT_EQ(SleepCalls(), "1\n1\n7\n");
  // Without a sleep command there is simply no pause.
  ComList[CMD_SLEEP].pPath = nullptr;
  Out([] { EXPECT_EQ(SysCmd(CMD_SHELL, SC_FATAL, "%s", "true"), 0); });
  EXPECT_EQ(SleepCalls(), "1\n1\n7\n");
}

TEST_F(RunnerTest, FailuresAreReportedByModeAndFatalOnesEndTheProgram) {
  StartLog();
  EXPECT_EQ(Out([] { EXPECT_NE(SysCmd(CMD_SHELL, SC_WARN, "exit 3"), 0); }), ".");
  EXPECT_NE(LogText().find("exit 3\nWARNING_MSG: exit status 3\n"), std::string::npos);
  // An error number in force is reported with the system's text; an
  // interrupted call (EINTR) is returned unreported, even when fatal.
  pSysCmdShell = [](const char* line) {
    errno = line[0] == 'x' ? ENOENT : EINTR;
    return -1;
  };
  EXPECT_EQ(SysCmd(CMD_SHELL, SC_WARN, "%s", "x"), ENOENT);
  EXPECT_NE(LogText().find("x\nWARNING_MSG: No such file or directory\n"), std::string::npos);
  const std::string before = LogText();
  EXPECT_EQ(SysCmd(CMD_SHELL, SC_FATAL, "%s", "y"), EINTR);
  EXPECT_EQ(LogText(), before + "y\n");
  // With logging on the terminal shows only dots: the end names the
  // command and the last of what it said.
  pSysCmdShell = [](const char* line) { return std::system(line); };
  EXPECT_EXIT(SysCmd(CMD_SHELL_LOG, SC_FATAL, "sh -c 'seq 6; exit 3'"),
              testing::ExitedWithCode(1),
              "^\nERROR: sh -c 'seq 6; exit 3' failed \\(exit status 3\\); see .*/t\\.log\n"
              "2\n3\n4\n5\n6\n$");
  EXPECT_NE(LogText().find("exit 3'\n1\n2\n3\n4\n5\n6\nERROR: exit status 3\n"), std::string::npos);
  // A command missing from the host ends the run as a failure, even quiet.
  ComList[CMD_LPADMIN].pPath = ComList[CMD_DF].pPath = nullptr;
  EXPECT_EXIT(SysCmd(CMD_LPADMIN, SC_QUIET, "%s", "-x q"), testing::ExitedWithCode(1),
              "^ERROR: unable to locate system command 'lpadmin'\n$");
  int64_t bytes = 0;
  EXPECT_EXIT(GetDiskSpace("/tmp", &bytes), testing::ExitedWithCode(1),
              "^ERROR: unable to locate system command 'df'\n$");
}

using FileCmdsTest = SysCmdTest;

TEST_F(FileCmdsTest, CreateAndDeleteRunOnlyWhatIsNeeded) {
  StartLog();
  const std::string dir = scratch_ / "new/dir", file = dir + "/.PrintError";
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
              DeleteFile(scratch_.path().c_str(), "new");
              DeleteFile(file.c_str(), nullptr);
            }),
            ".");
  EXPECT_EQ(gShellLines, (Lines{"@/bin/rm -rf @/new >> @/t.log 2>> @/t.log"}));
  EXPECT_FALSE(Exists(scratch_ / "new"));
}

TEST_F(FileCmdsTest, DeleteFileNeverRemovesTheRoot) {
  // rm looked for where there is none: should a case slip through, nothing is removed.
  ComList[CMD_RM_RF].pPath = "/nonexistent/bin";
  StartLog();
  const std::string link = scratch_ / "rootlink";
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
  ComList[CMD_WHOAMI].pPath = scratch_.path().c_str();
  WriteFile(scratch_ / "whoami", "#!/bin/sh\necho said >&2\necho bob\n", 0755);
  EXPECT_EQ(Redirected([] {
              std::printf("before\n");
              std::printf("%s\n", GetUserName());
            }),
            "before\nsaid\nbob\n");
  ComList[CMD_WHOAMI].pPath = nullptr;
  EXPECT_EQ(GetUserName(), nullptr);
}

using CaptureTest = SysCmdTest;

TEST_F(CaptureTest, KeepsLinesInOrderFiltersAndStaysSilentAndPsListHoldsExactNames) {
  testing::internal::CaptureStdout();
  Response* list = GetCmdResponse(CMD_SHELL, "t", "printf '%%s\\n' one two three");
  ASSERT_TRUE(list && list->pNext && !list->pNext->pNext);
  EXPECT_EQ(std::string(list->pRespLine) + list->pNext->pRespLine, "two\nthree\n");
  FreeResponseList(list);
  EXPECT_EQ(GetCmdResponse(CMD_SHELL, "", "%s", "true"), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_FALSE(Exists(LogName()));
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
  WriteFile(scratch_ / "ps",
            "#!/bin/sh\nprintf '%s\\n' '   PID TTY      TIME CMD' '   101 ?   0:00 lpsched' "
            "'   102 ?   0:00 lpsched-old' '   103 pts/1   0:00 sh' '  1040 ?   0:02 lpsched'\n",
            0755);
  ComList[CMD_PS].pPath = scratch_.path().c_str();
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
