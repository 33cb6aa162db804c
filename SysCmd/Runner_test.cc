#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "SysCmd/SysCmdFixture.h"

namespace {

using RunnerTest = SysCmdTest;

TEST_F(RunnerTest, LogIsMadeAfreshWithChmodFirstAndNoLinkFollowed) {
  const std::string file = scratch_.Sub("f"), target = scratch_.Sub("secret");
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
  EXPECT_EQ(ReadFile(target), "keep\n");
}

TEST_F(RunnerTest, WithoutALogLinesAndReportsKeepTheirOrderInRedirectedOutput) {
  // A log that cannot be made leaves the lines on the terminal, unredirected;
  // a pause that prints shows where each flush falls.
  const std::string missing = scratch_.Sub("no/such/dir"), loud = scratch_.Sub("loud");
  pLogPath = missing.c_str();
  MakeDirs(loud);
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
  const std::string odd = scratch_.Sub("it's;$(touch pwned)>`touch pwned`"), word(5000, 'w');
  const std::string out = Out([&] {
    SysCmd(CMD_CAT, SC_WARN, "%s > %s", "/dev/null", scratch_.Sub("out").c_str());
    SysCmd(CMD_SHELL, SC_WARN, "echo shown");
    SysCmd(CMD_SHELL_LOG, SC_WARN, "echo %s", word.c_str());
    EXPECT_EQ(SysCmd(CMD_TOUCH, SC_FATAL, "%s", odd.c_str()), 0);
  });
  EXPECT_EQ(gShellLines, (Lines{"@/bin/cat  /dev/null > @/out", "echo shown 2>> @/t.log",
                          "echo " + word + " >> @/t.log 2>> @/t.log",
                          "@/bin/touch  '@/it'\\''s;$(touch pwned)>`touch pwned`' >> @/t.log "
                          "2>> @/t.log"}));
  EXPECT_EQ(out, "..shown\n..");
  EXPECT_TRUE(FileExists(odd));
  EXPECT_FALSE(FileExists("pwned") || FileExists(scratch_.Sub("pwned")));
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

}  // namespace
