#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "SysCmd/SysCmdFixture.h"

namespace {

using RunnerTest = SysCmdTest;

TEST_F(RunnerTest, LogIsMadeAfreshWithChmodFirstAndNoLinkFollowed) {
  const std::string file = scratch_.Sub("f");
  WriteFile(file, "");
  EXPECT_EQ(Out([&] { EXPECT_EQ(SysCmd(CMD_CHMOD, SC_FATAL, "%s %s", "755", file.c_str()), 0); }),
            "..");
  EXPECT_EQ(LogText(), S("@/bin/chmod  666 @/t.log\n@/bin/chmod  755 @/f\n"));
  EXPECT_EQ(FileMode(LogName()), 0666);
  EXPECT_EQ(FileMode(file), 0755);
  // The log file itself is made without the shell.
  EXPECT_EQ(gShellLines, S(Lines{"@/bin/chmod  666 @/t.log >> @/t.log 2>> @/t.log",
                                 "@/bin/chmod  755 @/f >> @/t.log 2>> @/t.log"}));
  EXPECT_EQ(SleepCalls(), "1\n1\n");
  // The next run's log replaces this one; a planted link, live or dangling,
  // is replaced the same way, its target untouched.
  const std::string target = scratch_.Sub("secret"), ghost = scratch_.Sub("ghost");
  WriteFile(target, "keep\n", 0600);
  for (const std::string& link : {std::string(), target, ghost}) {
    SetUp();
    const std::string log = LogName();
    ASSERT_EQ(link.empty() ? chmod(log.c_str(), 0600)
                           : unlink(log.c_str()) + symlink(link.c_str(), log.c_str()),
              0);
    // rm, chmod, the call
    EXPECT_EQ(Out([] { SysCmd(CMD_SHELL_LOG, SC_WARN, "echo hi"); }), "...") << link;
    EXPECT_EQ(gShellLines.at(0), S("@/bin/rm -rf @/t.log")) << link;
    EXPECT_EQ(LogText(), S("@/bin/chmod  666 @/t.log\necho hi\nhi\n")) << link;
    EXPECT_EQ(FileMode(log), 0666) << link;
  }
  EXPECT_EQ(ReadFile(target), "keep\n");
  EXPECT_EQ(FileMode(target), 0600);
  EXPECT_FALSE(FileExists(ghost));
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
            S("before\nWARNING: can't create log file, @/no/such/dir/t.log: No such file or "
              "directory\necho out\nout\npause 1\n=0\nexit 3\nWARNING_MSG: exit status 3\n"
              "pause 1\n"));
}

TEST_F(RunnerTest, RedirectionsFollowRowAndFormat) {
  StartLog();
  const std::string out = Out([&] {
    SysCmd(CMD_CAT, SC_WARN, "%s > %s", "/dev/null", scratch_.Sub("out").c_str());
    SysCmd(CMD_SHELL, SC_WARN, "echo shown");
    SysCmd(CMD_SHELL_LOG, SC_WARN, "echo logged");
    SysCmd(CMD_SHELL, SC_WARN, "%s %s", "echo", "a>b");  // '>' only in a value
  });
  EXPECT_EQ(gShellLines, S(Lines{"@/bin/cat  /dev/null > @/out", "echo shown 2>> @/t.log",
                                 "echo logged >> @/t.log 2>> @/t.log", "echo 'a>b' 2>> @/t.log"}));
  EXPECT_EQ(out, "..shown\n..a>b\n");
  EXPECT_NE(LogText().find("echo logged\nlogged\n"), std::string::npos);
  EXPECT_EQ(LogText().find("\nshown\n"), std::string::npos);
}

TEST_F(RunnerTest, QuietModeIsSilentAndOnlyRowsWithDelayPause) {
  StartLog();
  const std::string before = LogText();
  EXPECT_EQ(Out([] {
              EXPECT_EQ(SysCmd(CMD_EJECT_QUERY, SC_QUIET, "%s", ""), 0);
              EXPECT_EQ(SysCmd(CMD_SHELL, SC_QUIET, "exit 5"), 5 << 8);  // failed, not reported
              SysCmd(CMD_CLEAR, SC_QUIET, "%s", "");
              SysCmd(CMD_FILE, SC_QUIET, "/dev/null >/dev/null");
              SysCmd(CMD_DF, SC_QUIET, "/ >/dev/null");
              SysCmd(CMD_SLEEP, SC_QUIET, "%s", "7");
            }),
            "");
  EXPECT_EQ(LogText(), before);
  ASSERT_EQ(gShellLines.size(), 6u);
  EXPECT_EQ(gShellLines[0], S("@/bin/eject -q "));
  EXPECT_EQ(SleepCalls(), "1\n1\n7\n");
  // Without a sleep command there is simply no pause.
  ComList[CMD_SLEEP].pPath = nullptr;
  Out([] { EXPECT_EQ(SysCmd(CMD_SHELL, SC_FATAL, "%s", "true"), 0); });
  EXPECT_EQ(SleepCalls(), "1\n1\n7\n");
}

TEST_F(RunnerTest, FailuresAreReportedByMode) {
  StartLog();
  EXPECT_EQ(Out([] { EXPECT_NE(SysCmd(CMD_SHELL, SC_WARN, "exit 3"), 0); }), ".");
  EXPECT_NE(LogText().find("exit 3\nWARNING_MSG: exit status 3\n"), std::string::npos);
  flSysCmdLog = 0;  // logging off: the line and the report go to the terminal
  EXPECT_EQ(Out([] { EXPECT_NE(SysCmd(CMD_SHELL, SC_WARN, "exit 2"), 0); }),
            "exit 2\nWARNING_MSG: exit status 2\n");
  flSysCmdLog = 1;
  // An error number in force is reported with the system's text; an
  // interrupted call (EINTR) is returned unreported, even when fatal.
  pSysCmdShell = [](const char* line) {
    gShellLines.push_back(line);
    errno = line[0] == 'x' ? ENOENT : EINTR;
    return -1;
  };
  EXPECT_EQ(SysCmd(CMD_SHELL, SC_WARN, "%s", "x"), ENOENT);
  EXPECT_NE(LogText().find("x\nWARNING_MSG: No such file or directory\n"), std::string::npos);
  const std::string before = LogText();
  EXPECT_EQ(SysCmd(CMD_SHELL, SC_FATAL, "%s", "y"), EINTR);
  EXPECT_EQ(LogText(), before + "y\n");
}

TEST_F(RunnerTest, FatalFailureAndUnresolvedRowEndTheProgram) {
  // With logging on the terminal shows only dots: the end names the
  // command and the last of what it said.
  EXPECT_EXIT((StartLog(), SysCmd(CMD_SHELL_LOG, SC_FATAL, "sh -c 'seq 6; exit 3'")),
              testing::ExitedWithCode(1),
              "^\nERROR: sh -c 'seq 6; exit 3' failed \\(exit status 3\\); see .*/t\\.log\n"
              "2\n3\n4\n5\n6\n$");
  EXPECT_NE(LogText().find("exit 3'\n1\n2\n3\n4\n5\n6\nERROR: exit status 3\n"), std::string::npos);
  flSysCmdLog = 0;
  EXPECT_EXIT(SysCmd(CMD_SHELL, SC_FATAL, "kill -9 $$"), testing::ExitedWithCode(1), "");
  // A command missing from the host is reported, and ends the run as a failure.
  ComList[CMD_LPADMIN].pPath = ComList[CMD_DF].pPath = nullptr;
  for (int mode : {SC_QUIET, SC_FATAL})
    EXPECT_EXIT(SysCmd(CMD_LPADMIN, mode, "%s", "-x q"), testing::ExitedWithCode(1),
                "^ERROR: unable to locate system command 'lpadmin'\n$");
  int64_t bytes = 0;
  EXPECT_EXIT(GetDiskSpace("/tmp", &bytes), testing::ExitedWithCode(1),
              "^ERROR: unable to locate system command 'df'\n$");
}

TEST_F(RunnerTest, HostileValuesStayOneWordAndLongLinesWhole) {
  StartLog();
  const std::string semi = scratch_.Sub("a;touch pwned"), word(5000, 'w'),
                    odd = scratch_.Sub("it's $(touch pwned) `touch pwned`");
  Out([&] {
    EXPECT_EQ(SysCmd(CMD_TOUCH, SC_FATAL, "%s", semi.c_str()), 0);
    EXPECT_EQ(SysCmd(CMD_TOUCH, SC_FATAL, "%s", odd.c_str()), 0);
    EXPECT_EQ(SysCmd(CMD_SHELL_LOG, SC_WARN, "echo %s", word.c_str()), 0);
  });
  EXPECT_TRUE(FileExists(semi) && FileExists(odd));
  EXPECT_FALSE(FileExists("pwned") || FileExists(scratch_.Sub("pwned")));
  EXPECT_NE(LogText().find(S("@/bin/touch  '@/a;touch pwned'\n")), std::string::npos);
  EXPECT_NE(LogText().find("echo " + word + "\n" + word + "\n"), std::string::npos);
}

}  // namespace
