#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "SysCmd/SysCmdFixture.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

using RunnerTest = SysCmdTest;

int InterruptedShell(const char* line) {
  gShellLines.push_back(line);
  errno = EINTR;
  return -1;
}

int NoEntryShell(const char* line) {
  gShellLines.push_back(line);
  errno = ENOENT;
  return -1;
}

TEST_F(RunnerTest, FirstLoggedCallStartsLogWithChmodLine) {
  const std::string file = scratch_.Sub("f");
  WriteFile(file, "");
  CaptureStdout();
  EXPECT_EQ(SysCmd(CMD_CHMOD, SC_FATAL, "%s %s", "755", file.c_str()), 0);
  EXPECT_EQ(GetCapturedStdout(), "..");
  const std::string chmod = Prefix(CMD_CHMOD);
  EXPECT_EQ(chmod, std::string(ComList[CMD_CHMOD].pPath) + "/chmod  ");
  EXPECT_EQ(LogText(), chmod + "666 " + LogName() + "\n" + chmod + "755 " + file + "\n");
  EXPECT_EQ(FileMode(LogName()), 0666);
  EXPECT_EQ(FileMode(file), 0755);
  // The log file itself is made without the shell; the chmod runs with
  // both redirections, as does the caller's command.
  ASSERT_EQ(gShellLines.size(), 2u);
  const std::string redir = " >> " + LogName() + " 2>> " + LogName();
  EXPECT_EQ(gShellLines[0], chmod + "666 " + LogName() + redir);
  EXPECT_EQ(gShellLines[1], chmod + "755 " + file + redir);
  EXPECT_EQ(SleepCalls(), "1\n1\n");
}

TEST_F(RunnerTest, OldLogIsReplaced) {
  WriteFile(LogName(), "old run\n", 0600);
  CaptureStdout();
  SysCmd(CMD_SHELL_LOG, SC_WARN, "echo hi");
  EXPECT_EQ(GetCapturedStdout(), "...");  // rm, chmod, the call
  ASSERT_EQ(gShellLines.size(), 3u);
  EXPECT_EQ(gShellLines[0], Prefix(CMD_RM_RF) + LogName());
  const std::string chmodLine = Prefix(CMD_CHMOD) + "666 " + LogName() + "\n";
  EXPECT_EQ(LogText(), chmodLine + "echo hi\nhi\n");
  EXPECT_EQ(FileMode(LogName()), 0666);
  EXPECT_EQ(flInitLog, 0);
}

TEST_F(RunnerTest, PlantedLinkAtLogPathIsNeverFollowed) {
  const std::string target = scratch_.Sub("secret");
  WriteFile(target, "keep\n", 0600);
  ASSERT_EQ(symlink(target.c_str(), LogName().c_str()), 0);
  CaptureStdout();
  SysCmd(CMD_SHELL, SC_WARN, "%s", "true");
  GetCapturedStdout();
  EXPECT_EQ(ReadFile(target), "keep\n");
  EXPECT_EQ(FileMode(target), 0600);
  EXPECT_FALSE(IsSymlink(LogName()));
  EXPECT_EQ(LogText().rfind(Prefix(CMD_CHMOD) + "666 ", 0), 0u);

  // A dangling link must not bring its target into being either.
  SetUp();
  const std::string ghost = scratch_.Sub("ghost");
  std::remove(LogName().c_str());
  ASSERT_EQ(symlink(ghost.c_str(), LogName().c_str()), 0);
  CaptureStdout();
  SysCmd(CMD_SHELL, SC_WARN, "%s", "true");
  GetCapturedStdout();
  EXPECT_FALSE(FileExists(ghost));
  EXPECT_FALSE(IsSymlink(LogName()));
}

TEST_F(RunnerTest, LogThatCannotBeMadeLeavesCommandsOnTerminal) {
  const std::string missing = scratch_.Sub("no/such/dir");
  pLogPath = missing.c_str();
  CaptureStdout();
  EXPECT_EQ(SysCmd(CMD_SHELL, SC_FATAL, "%s", "true"), 0);
  EXPECT_EQ(GetCapturedStdout(), "true\n");
  EXPECT_EQ(gShellLines, std::vector<std::string>{"true"});  // no chmod, no redirection
}

TEST_F(RunnerTest, RedirectionsFollowRowAndFormat) {
  StartLog();
  const std::string redir = " >> " + LogName() + " 2>> " + LogName();
  CaptureStdout();
  SysCmd(CMD_CAT, SC_WARN, "%s > %s", "/dev/null", scratch_.Sub("out").c_str());
  SysCmd(CMD_SHELL, SC_WARN, "echo shown");
  SysCmd(CMD_SHELL_LOG, SC_WARN, "echo logged");
  SysCmd(CMD_SHELL, SC_WARN, "%s %s", "echo", "a>b");  // '>' only in a value
  const std::string out = GetCapturedStdout();
  ASSERT_EQ(gShellLines.size(), 4u);
  EXPECT_EQ(gShellLines[0], Prefix(CMD_CAT) + "/dev/null > " + scratch_.Sub("out"));
  EXPECT_EQ(gShellLines[1], "echo shown 2>> " + LogName());
  EXPECT_EQ(gShellLines[2], "echo logged" + redir);
  EXPECT_EQ(gShellLines[3], "echo 'a>b' 2>> " + LogName());
  EXPECT_EQ(out, "..shown\n..a>b\n");
  const std::string log = LogText();
  EXPECT_NE(log.find("echo logged\nlogged\n"), std::string::npos);
  EXPECT_EQ(log.find("\nshown\n"), std::string::npos);
  EXPECT_EQ(SleepCalls(), "1\n1\n1\n1\n");
}

TEST_F(RunnerTest, QuietModeNeitherEchoesNorLogsButPauses) {
  StartLog();
  const std::string before = LogText();
  CaptureStdout();
  EXPECT_EQ(SysCmd(CMD_EJECT_QUERY, SC_QUIET, "%s", ""), 0);
  EXPECT_EQ(SysCmd(CMD_SHELL, SC_QUIET, "exit 5"), 5 << 8);  // failed, not reported
  EXPECT_EQ(GetCapturedStdout(), "");
  EXPECT_EQ(LogText(), before);
  ASSERT_EQ(gShellLines.size(), 2u);
  EXPECT_EQ(gShellLines[0], Prefix(CMD_EJECT_QUERY));
  EXPECT_EQ(gShellLines[0], std::string(ComList[CMD_EJECT].pPath) + "/eject -q ");
  EXPECT_EQ(SleepCalls(), "1\n1\n");
}

TEST_F(RunnerTest, OnlyRowsWithDelayPause) {
  StartLog();
  CaptureStdout();
  SysCmd(CMD_CLEAR, SC_QUIET, "%s", "");
  SysCmd(CMD_FILE, SC_QUIET, "/dev/null >/dev/null");
  SysCmd(CMD_DF, SC_QUIET, "/ >/dev/null");
  SysCmd(CMD_SLEEP, SC_QUIET, "%s", "7");
  EXPECT_EQ(SleepCalls(), "7\n");
  SysCmd(CMD_SHELL, SC_QUIET, "%s", "true");
  EXPECT_EQ(SleepCalls(), "7\n1\n");
  // Without a sleep command there is simply no pause.
  ComList[CMD_SLEEP].pPath = nullptr;
  EXPECT_EQ(SysCmd(CMD_SHELL, SC_FATAL, "%s", "true"), 0);
  GetCapturedStdout();
  EXPECT_EQ(SleepCalls(), "7\n1\n");
}

TEST_F(RunnerTest, FailuresAreReportedByMode) {
  StartLog();
  CaptureStdout();
  const int result = SysCmd(CMD_SHELL, SC_WARN, "exit 3");
  EXPECT_NE(result, 0);
  EXPECT_EQ(GetCapturedStdout(), ".");
  EXPECT_NE(LogText().find("exit 3\nWARNING_MSG: exit status 3\n"), std::string::npos);

  // Logging off: the line and the report go to the terminal.
  flSysCmdLog = 0;
  CaptureStdout();
  EXPECT_NE(SysCmd(CMD_SHELL, SC_WARN, "exit 2"), 0);
  EXPECT_EQ(GetCapturedStdout(), "exit 2\nWARNING_MSG: exit status 2\n");
  flSysCmdLog = 1;

  // An error number in force is reported with the system's text.
  pSysCmdShell = NoEntryShell;
  EXPECT_EQ(SysCmd(CMD_SHELL, SC_WARN, "%s", "x"), ENOENT);
  EXPECT_NE(LogText().find("x\nWARNING_MSG: No such file or directory\n"), std::string::npos);

  // An interrupted call is returned as it is, unreported, even when fatal.
  pSysCmdShell = InterruptedShell;
  const std::string before = LogText();
  EXPECT_EQ(SysCmd(CMD_SHELL, SC_FATAL, "%s", "y"), EINTR);
  EXPECT_EQ(LogText(), before + "y\n");
}

TEST_F(RunnerTest, FatalFailureEndsProgram) {
  EXPECT_EXIT(
      {
        StartLog();
        SysCmd(CMD_SHELL, SC_FATAL, "exit 3");
      },
      testing::ExitedWithCode(1), "");
  EXPECT_NE(LogText().find("exit 3\nERROR: exit status 3\n"), std::string::npos);
  flSysCmdLog = 0;
  EXPECT_EXIT(SysCmd(CMD_SHELL, SC_FATAL, "kill -9 $$"), testing::ExitedWithCode(1), "");
}

TEST_F(RunnerTest, UnresolvedRowEndsWithStatusZero) {
  ComList[CMD_LPADMIN].pPath = nullptr;
  EXPECT_EXIT(SysCmd(CMD_LPADMIN, SC_QUIET, "%s", "-x q"), testing::ExitedWithCode(0),
              "^ERROR: unable to locate system command 'lpadmin'\n$");
  EXPECT_EXIT(SysCmd(CMD_LPADMIN, SC_FATAL, "%s", "-x q"), testing::ExitedWithCode(0),
              "unable to locate system command 'lpadmin'");
}

TEST_F(RunnerTest, HostileValuesStayOneWord) {
  StartLog();
  char cwd[4096];
  ASSERT_TRUE(getcwd(cwd, sizeof cwd));
  ASSERT_EQ(chdir(scratch_.Path().c_str()), 0);
  CaptureStdout();
  EXPECT_EQ(SysCmd(CMD_TOUCH, SC_FATAL, "%s", "a;touch pwned"), 0);
  EXPECT_EQ(SysCmd(CMD_TOUCH, SC_FATAL, "%s", "it's $(touch pwned2) `touch pwned3`"), 0);
  GetCapturedStdout();
  EXPECT_TRUE(FileExists("a;touch pwned"));
  EXPECT_TRUE(FileExists("it's $(touch pwned2) `touch pwned3`"));
  EXPECT_FALSE(FileExists("pwned"));
  EXPECT_FALSE(FileExists("pwned2"));
  EXPECT_FALSE(FileExists("pwned3"));
  ASSERT_EQ(chdir(cwd), 0);
  // The log shows the line as it was run.
  EXPECT_NE(LogText().find(Prefix(CMD_TOUCH) + "'a;touch pwned'\n"), std::string::npos);
}

TEST_F(RunnerTest, LongLinesAreNotCut) {
  StartLog();
  const std::string word(5000, 'w');
  CaptureStdout();
  EXPECT_EQ(SysCmd(CMD_SHELL_LOG, SC_WARN, "echo %s", word.c_str()), 0);
  GetCapturedStdout();
  EXPECT_NE(LogText().find("echo " + word + "\n" + word + "\n"), std::string::npos);
}

}  // namespace
