// Error reports on standard error, and the log file's one writer.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "utils/utils.h"

namespace {

const char* ProgName() { return my_name ? my_name : ""; }

}  // namespace

void SysError(const char* fmt, ...) {
  // The tidy may change errno; the report is about the caller's.
  int err = errno;
  char text[1024];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  FatalEnd(1, std::string("\n") + ProgName() + ": " + text + " : " + strerror(err) + "\n");
}

void ErrorMsg(int level, int status, const char* fmt, ...) {
  // Formatted apart first: a caller may pass Line itself as a value.
  static char text[sizeof Line];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  memcpy(Line, text, strlen(text) + 1);
  if (level == 1) {
    fprintf(stderr, "WARNING: %s\n", Line);
  } else if (level == 2) {
    FatalEnd(status, std::string("ERROR: ") + Line + "\n");
  }
}

std::string LogFileName() {
  return std::string(pLogPath ? pLogPath : ".") + "/" + ProgName() + ".log";
}

void PutLogMsg(const char* fmt, ...) {
  const std::string name = LogFileName();
  const char* path = name.c_str();
  bool start = flInitLog != 0;
  flInitLog = 0;
  if (name.size() >= 256) return;  // the system never makes one this long

  // The log lives in a world-writable directory and we run as root: never
  // follow a planted link, never block on a planted FIFO, and write only
  // into a regular file. The old content is cut only after those checks,
  // so a hard link to some other file is not emptied either.
  int fd = open(path, O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK |
                          (start ? 0 : O_APPEND),
                0666);
  if (fd < 0) return;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 ||
      (start && ftruncate(fd, 0) != 0)) {
    close(fd);
    return;
  }
  va_list ap;
  va_start(ap, fmt);
  vdprintf(fd, fmt, ap);
  va_end(ap);
  close(fd);
}

void errormsg(const char* fmt, ...) {
  fprintf(stderr, "%s: ", ProgName());
  va_list ap;
  va_start(ap, fmt);
  vfprintf(stderr, fmt, ap);
  va_end(ap);
  fputc('\n', stderr);
}

void exit_app(int status) { FatalEnd(status, ""); }

void SysCmdP(int level, const char* fmt, ...) {
  char cmd[512];
  va_list ap;
  va_start(ap, fmt);
  int n = vsnprintf(cmd, sizeof cmd, fmt, ap);
  va_end(ap);
  // A cut command line would run something the caller never asked for.
  bool cut = n < 0 || static_cast<size_t>(n) >= sizeof cmd;
  if (level == 1 || level == 2) printf("%s\n", cmd);
  fflush(stdout);
  int rc = cut ? -1 : system(cmd);
  if ((level == 1 || level == 2) && rc != 0 && (rc >> 7) != 4) {
    if (level == 2) {
      FatalEnd(1, std::string("ERROR: unable to locate system command '") + cmd + "'\n");
    }
    if (cut)
      fprintf(stderr, "ERROR: command line too long, not run: %s\n", cmd);
    else
      fprintf(stderr, "ERROR: command failed (status %d): %s\n", rc, cmd);
  }
  system("/usr/bin/sleep 1");
}
