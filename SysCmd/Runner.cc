// The command runner: echo, log, redirections, failure reports, pauses.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "SysCmd/CmdLine.h"
#include "SysCmd/SysCmd.h"
#include "SysCmd/SysCmdSeam.h"

static int RunWithShell(const char* line) { return std::system(line); }

int (*pSysCmdShell)(const char* line) = RunWithShell;

// Set while the old log is being removed: that call must write nothing
// through the old entry, which may be a link planted by someone else.
static bool flLogSetup = false;
bool flLogBroken = false;

// Starts this run's log: the old entry goes, a new empty file is made
// without following links, and the chmod that opens it to everyone is
// the log's first line.
static void StartLog(const std::string& logName) {
  flInitLog = 0;
  flLogSetup = true;
  DeleteFile(logName.c_str(), nullptr);
  flLogSetup = false;
  int fd = open(logName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) {
    flLogBroken = true;
    std::fflush(stdout);
    std::fprintf(stderr, "WARNING: can't create log file, %s: %s\n", logName.c_str(),
                 std::strerror(errno));
    return;
  }
  close(fd);
  SysCmd(CMD_CHMOD, SC_FATAL, "666 %s", logName.c_str());
}

// What failed, for a shell that returned non-zero with no error number.
static std::string DescribeStatus(int status) {
  if (status == -1) return "cannot run the shell";
  if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
  return "status " + std::to_string(status);
}

int SysCmd(int row, int mode, const char* fmt, ...) {
  const std::string logName = LogFileName();
  const bool reporting = mode == SC_WARN || mode == SC_FATAL;
  if (flInitLog && reporting) StartLog(logName);

  std::string line = CmdPrefix(row);
  va_list ap;
  va_start(ap, fmt);
  AppendCmdFormat(line, fmt, ap);
  va_end(ap);

  const bool toLog = flSysCmdLog && !flLogBroken;
  const bool writeLog = toLog && !flLogSetup;
  if (reporting) {
    if (toLog) {
      std::fputs(".", stdout);
      std::fflush(stdout);
      if (writeLog) PutLogMsg("%s\n", line.c_str());
    } else {
      std::printf("%s\n", line.c_str());
    }
  }
  if (reporting && writeLog && !std::strchr(fmt ? fmt : "", '>')) {
    if (row != CMD_SHELL) line += " >> " + ShellQuote(logName);
    line += " 2>> " + ShellQuote(logName);
  }

  std::fflush(stdout);
  std::fflush(stderr);
  errno = 0;
  const int status = pSysCmdShell(line.c_str());
  const int err = errno;

  int result = 0;
  std::string failure;
  if (status != 0) {
    if (err != 0) {
      result = err;
      if (err <= 151 && err != EINTR) failure = std::strerror(err);
    } else {
      // The command itself failed: still a failure for every caller.
      result = status;
      failure = DescribeStatus(status);
    }
  }
  if (reporting && !failure.empty()) {
    const char* label = mode == SC_FATAL ? "ERROR" : "WARNING_MSG";
    if (writeLog)
      PutLogMsg("%s: %s\n", label, failure.c_str());
    else
      std::printf("%s: %s\n", label, failure.c_str());
    if (mode == SC_FATAL) std::exit(1);
  }

  const SysCmdRec& sleeper = ComList[CMD_SLEEP];
  if (row >= 0 && row < 46 && ComList[row].Delay != 0 && sleeper.pPath) {
    std::string pause = ShellQuote(sleeper.pPath) + "/" + sleeper.pCmd + " " +
                        std::to_string(ComList[row].Delay);
    std::fflush(stdout);
    if (std::system(pause.c_str())) {
      // a pause that did not happen changes nothing
    }
  }
  return result;
}
