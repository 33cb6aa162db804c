// The command runner: echo, log, redirections, failure reports, pauses.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

// The last lines (at most max) that the log gained from offset on: what
// the failed command said about itself.
static std::string LastLogLines(const std::string& logName, off_t offset, size_t max) {
  std::string text;
  int fd = open(logName.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return text;
  char buf[4096];
  for (ssize_t n; (n = pread(fd, buf, sizeof buf, offset)) > 0; offset += n)
    text.append(buf, static_cast<size_t>(n));
  close(fd);
  std::vector<std::string> lines;
  for (size_t at = 0, nl; at < text.size(); at = nl + 1) {
    nl = text.find('\n', at);
    if (nl == std::string::npos) nl = text.size();
    if (nl > at) lines.push_back(text.substr(at, nl - at));
  }
  std::string last;
  for (size_t i = lines.size() > max ? lines.size() - max : 0; i < lines.size(); ++i)
    last += lines[i] + "\n";
  return last;
}

static off_t LogSize(const std::string& logName) {
  struct stat st;
  return lstat(logName.c_str(), &st) == 0 ? st.st_size : 0;
}

// A command that died of Ctrl-C, or whose shell says so (128 + SIGINT),
// was interrupted, not merely failed.
static bool DiedOfInterrupt(int status) {
  if (status == -1) return false;
  return (WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) ||
         (WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGINT);
}

int32_t SysCmdWarnings = 0;

int SysCmd(int row, int mode, const char* fmt, ...) {
  CheckInterrupt();  // a stop asked for between commands comes first
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
  const std::string shown = line;
  const off_t outputFrom = writeLog ? LogSize(logName) : 0;
  if (reporting && writeLog && !std::strchr(fmt ? fmt : "", '>')) {
    if (row != CMD_SHELL) line += " >> " + ShellQuote(logName);
    line += " 2>> " + ShellQuote(logName);
  }

  std::fflush(stdout);
  std::fflush(stderr);
  errno = 0;
  const int status = pSysCmdShell(line.c_str());
  const int err = errno;
  if (DiedOfInterrupt(status) && !InterruptSignal) InterruptSignal = SIGINT;
  CheckInterrupt();

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
    // With logging on the terminal shows only dots: a fatal end names the
    // command and what it said there, before the report joins the log.
    std::string words;
    if (writeLog && mode == SC_FATAL)
      words = "\nERROR: " + shown + " failed (" + failure + "); see " + logName + "\n" +
              LastLogLines(logName, outputFrom, 5);
    if (writeLog)
      PutLogMsg("%s: %s\n", label, failure.c_str());
    else
      std::printf("%s: %s\n", label, failure.c_str());
    if (mode == SC_FATAL) FatalEnd(1, words);
    ++SysCmdWarnings;
  }

  const SysCmdRec& sleeper = ComList[CMD_SLEEP];
  if (row >= 0 && row < 46 && ComList[row].Delay != 0 && sleeper.pPath) {
    std::string pause =
        ShellQuote(sleeper.pPath) + "/" + sleeper.pCmd + " " + std::to_string(ComList[row].Delay);
    std::fflush(stdout);
    if (std::system(pause.c_str())) {
      // a pause that did not happen changes nothing
    }
  }
  return result;
}
