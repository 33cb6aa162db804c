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

TEST(Messages, ErrorLevelsTextsAndStatuses) {
  my_name = kSetup;
  EXPECT_EXIT((errno = ENOENT, SysError("can't open file, %s", "/tmp/x")), ExitedWithCode(1),
              "^\nsetup: can't open file, /tmp/x : No such file or directory\n$");
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
  TestDir dir;
  const std::string cmd = "touch '" + (dir / "ran") + "' #" + std::string(600, 'x');
  EXPECT_EXIT(quiet() && (SysCmdP(2, "%s", cmd.c_str()), true), ExitedWithCode(1), "ERROR: ");
  EXPECT_FALSE(Exists(dir / "ran"));
}

TEST(Messages, LogStartsAfreshAppendsAndNeverFollowsPlantedEntries) {
  TestDir dir;
  const std::string log = dir.Write("setup.log", "old\n"), target = dir.Write("t", "keep\n");
  my_name = kSetup;
  pLogPath = dir.path().c_str();
  flInitLog = 1;
  PutLogMsg("%s\n", "first");
  EXPECT_EQ(flInitLog, 0);
  PutLogMsg("no line end %d", 2);
  EXPECT_EQ(ReadText(log), "first\nno line end 2");
  unlink(log.c_str());
  PutLogMsg("a");  // created when missing, even after the start
  EXPECT_EQ(ReadText(log), "a");

  // A planted link's target stays untouched (a hard link's is not emptied
  // either), a FIFO without a reader does not block, a directory is left.
  auto fifo = [](const char*, const char* at) { return mkfifo(at, 0600); };
  auto dirAt = [](const char*, const char* at) { return mkdir(at, 0700); };
  using Plant = int (*)(const char*, const char*);
  for (Plant plant : std::initializer_list<Plant>{symlink, link, fifo, dirAt}) {
    unlink(log.c_str());
    EXPECT_EQ(plant(target.c_str(), log.c_str()), 0);
    for (uint8_t start : {1, 0}) {
      flInitLog = start;
      PutLogMsg("start %d\n", start);
    }
    EXPECT_EQ(ReadText(target), "keep\n");
  }
  const std::string none = dir / "none";  // lost silently
  pLogPath = none.c_str();
  CaptureStderr();
  PutLogMsg("lost\n");
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_FALSE(Exists(none));
  pLogPath = ".";
  flInitLog = 1;
}

}  // namespace
