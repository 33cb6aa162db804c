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

using ::testing::ExitedWithCode;
using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

class MessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    my_name = kSetup;
    pLogPath = dir_.path().c_str();
    flInitLog = 1;
  }
  void TearDown() override { pLogPath = "."; }
  TestDir dir_;
  const std::string log_ = dir_ / "setup.log";
};

TEST_F(MessagesTest, ErrorLevelsTextsAndStatuses) {
  auto sysError = [](int err, const char* what) {
    errno = err;
    SysError("can't open file, %s", what);
  };
  EXPECT_EXIT(sysError(ENOENT, "/tmp/x"), ExitedWithCode(1),
              "^\nsetup: can't open file, /tmp/x : No such file or directory\n$");
  EXPECT_EXIT((my_name = nullptr, sysError(EACCES, "")), ExitedWithCode(1),
              "^\n: can't open file,  : Permission denied\n$");
  EXPECT_EXIT(ErrorMsg(2, 0, "gone %d", 7), ExitedWithCode(0), "^ERROR: gone 7\n$");
  EXPECT_EXIT(ErrorMsg(2, 1, "gone"), ExitedWithCode(1), "^ERROR: gone\n$");

  CaptureStderr();
  ErrorMsg(0, 1, "can't open file, %s", "/y");
  ErrorMsg(1, 1, "can't open file, %s", "/x");
  errormsg("bad %s", "thing");
  EXPECT_EQ(GetCapturedStderr(), "WARNING: can't open file, /x\nsetup: bad thing\n");
  ErrorMsg(0, 0, "<%s>", Line);  // Line may itself be one of the values
  EXPECT_STREQ(Line, "<can't open file, /x>");
  ErrorMsg(0, 0, "%s", std::string(70000, 'z').c_str());  // cut, never overrun
  EXPECT_EQ(strlen(Line), sizeof Line - 1);

  // The echoed command goes to standard output; keep it out of the way.
  auto quiet = [] { return freopen("/dev/null", "w", stdout) != nullptr; };
  EXPECT_EXIT(quiet() && (SysCmdP(2, "exit %d", 3), true), ExitedWithCode(1),
              "ERROR: unable to locate system command 'exit 3'");
  // A command line that does not fit is never run, not even cut short.
  const std::string marker = dir_ / "ran", cmd = "touch '" + marker + "' #" + std::string(600, 'x');
  EXPECT_EXIT(quiet() && (SysCmdP(2, "%s", cmd.c_str()), true), ExitedWithCode(1), "ERROR: ");
  EXPECT_FALSE(Exists(marker));
}

TEST_F(MessagesTest, LogStartsAfreshThenAppends) {
  dir_.Write("setup.log", "old content\n");
  PutLogMsg("%s\n", "first");
  EXPECT_EQ(flInitLog, 0);
  PutLogMsg("no line end");
  PutLogMsg(" %d\n", 2);
  EXPECT_EQ(ReadText(log_), "first\nno line end 2\n");
  unlink(log_.c_str());
  PutLogMsg("a");  // created when missing, even after the start
  EXPECT_EQ(ReadText(log_), "a");

  const std::string missing = dir_ / "none", longPath(300, 'd');
  for (const std::string& where : {missing, longPath}) {  // lost silently
    pLogPath = where.c_str();
    flInitLog = 1;
    CaptureStderr();
    PutLogMsg("lost\n");
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_EQ(flInitLog, 0);
  }
  EXPECT_FALSE(Exists(missing));
}

TEST_F(MessagesTest, LogNeverWritesThroughPlantedEntries) {
  const std::string target = dir_.Write("target", "keep\n");
  auto plant = [&](int (*make)(const char*, const char*)) {
    unlink(log_.c_str());
    ASSERT_EQ(make(target.c_str(), log_.c_str()), 0);
    for (int start : {1, 0}) {
      flInitLog = static_cast<uint8_t>(start);
      PutLogMsg("start %d\n", start);
    }
    EXPECT_EQ(ReadText(target), "keep\n");
  };
  plant(symlink);
  plant(link);  // a hard link to another file is not emptied either
  // A FIFO without a reader must not block; a directory is left alone.
  plant([](const char*, const char* at) { return mkfifo(at, 0600); });
  plant([](const char*, const char* at) { return mkdir(at, 0700); });
}

}  // namespace
