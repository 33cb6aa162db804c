#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

char kSetup[] = "setup";

class MessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    my_name = kSetup;
    pLogPath = dir_.path().c_str();
    flInitLog = 1;
  }
  void TearDown() override {
    pLogPath = ".";
    flInitLog = 1;
  }
  std::string LogFile() const { return dir_ / "setup.log"; }
  TestDir dir_;
};

using ::testing::ExitedWithCode;

TEST_F(MessagesTest, SysErrorFramesMessageWithSystemTextAndEndsWithStatus1) {
  EXPECT_EXIT(
      {
        errno = ENOENT;
        SysError("can't open file, %s", "/tmp/x");
      },
      ExitedWithCode(1), "^\nsetup: can't open file, /tmp/x : No such file or directory\n$");
  EXPECT_EXIT(
      {
        errno = EACCES;
        SysError("%s", "");
      },
      ExitedWithCode(1), "^\nsetup:  : Permission denied\n$");
  EXPECT_EXIT(
      {
        my_name = nullptr;
        errno = ENOENT;
        SysError("m");
      },
      ExitedWithCode(1), "^\n: m : No such file or directory\n$");
}

TEST_F(MessagesTest, ErrorMsgLevels) {
  testing::internal::CaptureStderr();
  ErrorMsg(0, 1, "can't open file, %s", "/x");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_STREQ(Line, "can't open file, /x");

  testing::internal::CaptureStderr();
  ErrorMsg(1, 1, "can't open file, %s", "/x");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "WARNING: can't open file, /x\n");

  EXPECT_EXIT(ErrorMsg(2, 0, "gone %d", 7), ExitedWithCode(0), "^ERROR: gone 7\n$");
  EXPECT_EXIT(ErrorMsg(2, 1, "gone"), ExitedWithCode(1), "^ERROR: gone\n$");

  // Line may itself be one of the values.
  ErrorMsg(0, 0, "<%s>", Line);
  EXPECT_STREQ(Line, "<can't open file, /x>");

  // Longer than Line: cut, never overrun.
  std::string big(70000, 'z');
  ErrorMsg(0, 0, "%s", big.c_str());
  EXPECT_EQ(strlen(Line), sizeof Line - 1);
}

TEST_F(MessagesTest, ErrormsgNamesTheProgram) {
  testing::internal::CaptureStderr();
  errormsg("bad %s", "thing");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "setup: bad thing\n");
}

TEST_F(MessagesTest, LogStartsAfreshThenAppends) {
  dir_.Write("setup.log", "old content\n");
  PutLogMsg("%s\n", "first");
  EXPECT_EQ(flInitLog, 0);
  EXPECT_EQ(ReadText(LogFile()), "first\n");
  PutLogMsg("no line end");
  PutLogMsg(" %d\n", 2);
  EXPECT_EQ(ReadText(LogFile()), "first\nno line end 2\n");
}

TEST_F(MessagesTest, LogCreatedWhenMissingEvenAfterStart) {
  flInitLog = 0;
  PutLogMsg("a");
  EXPECT_EQ(ReadText(LogFile()), "a");
}

TEST_F(MessagesTest, LogInMissingDirectoryIsLostSilently) {
  std::string missing = dir_ / "none";
  pLogPath = missing.c_str();
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  PutLogMsg("lost\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_FALSE(Exists(missing));
  EXPECT_EQ(flInitLog, 0);

  std::string longPath(300, 'd');
  pLogPath = longPath.c_str();
  PutLogMsg("lost\n");  // the path does not fit: nothing is opened
}

TEST_F(MessagesTest, LogNeverWritesThroughPlantedEntries) {
  // A symbolic link at the log path: its target stays untouched, whether
  // the log is being started or appended to.
  std::string target = dir_.Write("target", "keep\n");
  ASSERT_EQ(symlink(target.c_str(), LogFile().c_str()), 0);
  PutLogMsg("start\n");
  PutLogMsg("append\n");
  EXPECT_EQ(ReadText(target), "keep\n");
  unlink(LogFile().c_str());

  // A hard link to another file is not emptied or written either.
  ASSERT_EQ(link(target.c_str(), LogFile().c_str()), 0);
  flInitLog = 1;
  PutLogMsg("start\n");
  PutLogMsg("append\n");
  EXPECT_EQ(ReadText(target), "keep\n");
  unlink(LogFile().c_str());

  // A FIFO without a reader must not block the program.
  ASSERT_EQ(mkfifo(LogFile().c_str(), 0600), 0);
  flInitLog = 1;
  PutLogMsg("start\n");
  unlink(LogFile().c_str());

  // A directory in its place.
  ASSERT_EQ(mkdir(LogFile().c_str(), 0700), 0);
  PutLogMsg("append\n");
}

TEST_F(MessagesTest, SysCmdPFatalFailureEndsTheProgram) {
  // The echoed command line goes to standard output; keep it out of the way.
  auto quiet = [] { return freopen("/dev/null", "w", stdout) != nullptr; };
  EXPECT_EXIT(quiet() && (SysCmdP(2, "exit %d", 3), true), ExitedWithCode(1),
              "ERROR: unable to locate system command 'exit 3'");
  // A command line that does not fit is never run, not even cut short.
  std::string marker = dir_ / "ran";
  std::string cmd = "touch '" + marker + "' #" + std::string(600, 'x');
  EXPECT_EXIT(quiet() && (SysCmdP(2, "%s", cmd.c_str()), true), ExitedWithCode(1), "ERROR: ");
  EXPECT_FALSE(Exists(marker));
}

}  // namespace
