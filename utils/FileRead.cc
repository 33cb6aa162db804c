// File input: streams opened with a chosen reaction to failure, the one
// current input file read line by line into LineBuf, whole small files,
// line search and file size.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstring>

#include "utils/utils.h"

namespace {

// One physical line, or the first 510 characters of a longer one.
constexpr int kPiece = 511;

void ReportOpenFailure(const char* path, int level) {
  if (level == 1)
    fprintf(stderr, "ERROR: can't open file, %s\n", path);
  else if (level == 2)
    SysError("can't open file, %s", path);
}

bool Fits(int n, size_t size) { return n >= 0 && static_cast<size_t>(n) < size; }

// Input comes from media and host files that others may have made: a FIFO
// or a device would block the run or feed it without end, so only a
// regular file is read, and opening never waits.
int OpenRegular(const char* path) {
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    errno = EINVAL;
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

FILE* OpenRegularStream(const char* path) {
  int fd = OpenRegular(path);
  if (fd < 0) return nullptr;
  FILE* f = fdopen(fd, "r");
  if (!f) close(fd);
  return f;
}

}  // namespace

FILE* OpenFile(FILE* stream, const char* path, const char* mode, int level) {
  if (!path) path = "";
  FILE* f;
  if (stream == stdin || stream == stdout || stream == stderr) {
    f = freopen(path, mode, stream);  // keeps the standard descriptor
  } else {
    // Closed and opened anew: a failed freopen would leave the stream
    // object allocated with no way to release it.
    if (stream) fclose(stream);
    f = fopen(path, mode);
  }
  if (!f) ReportOpenFailure(path, level);
  return f;
}

FILE* OpenFileF(FILE* stream, const char* mode, int level, const char* fmt, ...) {
  char path[512];
  va_list ap;
  va_start(ap, fmt);
  int n = vsnprintf(path, sizeof path, fmt, ap);
  va_end(ap);
  if (!Fits(n, sizeof path)) {  // never open a cut-off name
    if (stream) fclose(stream);
    errno = ENAMETOOLONG;
    ReportOpenFailure(path, level);
    return nullptr;
  }
  return OpenFile(stream, path, mode, level);
}

uint8_t OpenInputFile(const char* path, int level) {
  if (!path) path = "";
  CloseInputFile();
  pIn = OpenRegularStream(path);
  if (pIn) return 1;
  ErrorMsg(level, 1, "can't open file, %s", path);
  LineBuf[0] = '\0';
  LineLen = 0;
  return 0;
}

uint8_t OpenInputFileF(int level, const char* fmt, ...) {
  char path[512];
  va_list ap;
  va_start(ap, fmt);
  int n = vsnprintf(path, sizeof path, fmt, ap);
  va_end(ap);
  if (!Fits(n, sizeof path)) {
    CloseInputFile();
    ErrorMsg(level, 1, "can't open file, %s", path);
    LineBuf[0] = '\0';
    LineLen = 0;
    return 0;
  }
  return OpenInputFile(path, level);
}

int OpenRawFile(const char* path, int flags) {
  int fd = open(path ? path : "", flags, 0666);
  if (fd < 0) printf("ERROR: can't open file, %s", path ? path : "");
  return fd;
}

int GetFileLine() {
  if (!pIn) return 0;
  if (!fgets(LineBuf, kPiece, pIn)) {
    LineBuf[0] = '\0';
    CloseInputFile();
    return 0;
  }
  LineLen = 0;
  size_t len = strlen(LineBuf);
  // A backslash right before the line feed joins the next physical line.
  while (len >= 2 && LineBuf[LineLen + len - 2] == '\\' && LineBuf[LineLen + len - 1] == '\n') {
    LineLen += static_cast<int32_t>(len);
    int room = static_cast<int>(sizeof LineBuf) - LineLen;
    if (room < 2 || !fgets(LineBuf + LineLen, room, pIn)) break;
    len = strlen(LineBuf + LineLen);
  }
  return 1;
}

void CloseInputFile() {
  if (pIn) {
    fclose(pIn);
    pIn = nullptr;
  }
}

int GetFileContent(const char* dir, const char* name) {
  flContentCut = 0;
  // Built apart first: callers often pass a path that lives in LineBuf.
  char path[sizeof LineBuf];
  int n = snprintf(path, sizeof path, "%s%s%s", dir ? dir : "", name ? "/" : "", name ? name : "");
  memcpy(LineBuf, path, strlen(path) + 1);
  if (!Fits(n, sizeof path)) return 0;  // a cut path would name another file

  int fd = OpenRegular(path);
  if (fd < 0) return 0;
  size_t got = 0;
  const size_t want = sizeof LineBuf - 1;
  while (got < want) {
    ssize_t r = read(fd, LineBuf + got, want - got);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      close(fd);
      LineBuf[0] = '\0';
      return 0;
    }
    if (r == 0) break;
    got += static_cast<size_t>(r);
  }
  LineBuf[got] = '\0';
  if (got == want) {
    char extra;
    ssize_t r;
    do r = read(fd, &extra, 1);
    while (r < 0 && errno == EINTR);
    flContentCut = r > 0;
  }
  close(fd);
  return 1;
}

char* FileSearch(const char* path, const char* text, int level) {
  static char found[512];
  FILE* f = OpenRegularStream(path ? path : "");
  if (!f) {
    ReportOpenFailure(path ? path : "", level);
    return nullptr;
  }
  while (fgets(found, kPiece, f)) {
    if (!text || strstr(found, text)) {
      fclose(f);
      return found;
    }
  }
  fclose(f);
  return nullptr;
}

int32_t GetFileSize(const char* path) {
  struct stat st;
  if (stat(path ? path : "", &st) != 0) SysError("%s", "");
  // Clamped rather than wrapped to a negative size.
  return st.st_size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(st.st_size);
}

int GetFileTextLine(const char* delims) {
  if (!delims) return 0;
  while (GetFileLine()) {
    if (LineBuf[0] == '#') continue;
    size_t start = strspn(LineBuf, delims);
    size_t len = strcspn(LineBuf + start, delims);
    if (len == 0) continue;
    memmove(LineBuf, LineBuf + start, len);
    LineBuf[len] = '\0';
    return 1;
  }
  return 0;
}

void fgetsp(char* buf, int size, FILE* stream, long offset) {
  if (!buf || size <= 0 || !stream) return;
  if (fseek(stream, offset, SEEK_SET) != 0 || !fgets(buf, size, stream)) buf[0] = '\0';
}

namespace {

void DropFront(char* s, size_t n) { memmove(s, s + n, strlen(s + n) + 1); }

int32_t Tell(FILE* f) {
  long pos = ftell(f);
  return pos < 0 ? 0 : pos > INT32_MAX ? INT32_MAX : static_cast<int32_t>(pos);
}

}  // namespace

// The next line of pIn into Line; with flInputFilterState set, comments
// and leading white space are left out (a line may come out empty).
int GetLine() {
  constexpr size_t kArea = 512;
  LineCnt = 0;
  Line[0] = '\0';
  if (!pIn) return 0;
  InPos = Tell(pIn);
  bool inComment = false;
  for (;;) {
    if (!fgets(Line, kPiece, pIn)) {
      memset(Line, 0, kArea);
      return 0;
    }
    LineCnt++;
    if (!flInputFilterState) break;
    if (inComment) {
      char* end = strstr(Line, "*/");
      if (!end) {  // wholly inside the comment: dropped
        InPos = Tell(pIn);
        continue;
      }
      DropFront(Line, static_cast<size_t>(end + 2 - Line));
      inComment = false;
    }
    if (char* p = strstr(Line, "//")) *p = '\0';
    DropFront(Line, strspn(Line, " \t\n\v\f\r"));
    if (Line[0]) {
      if (char* open = strstr(Line, "/*")) {
        if (char* end = strstr(open + 2, "*/")) {
          DropFront(open, static_cast<size_t>(end + 2 - open));
        } else {
          inComment = true;
          InPos = Tell(pIn);
          continue;
        }
      }
      Line[strcspn(Line, "\n\r")] = '\0';
    }
    break;
  }
  size_t len = strlen(Line);
  memset(Line + len, 0, kArea - len);
  return LineCnt;
}

int GetLineN(int n) {
  int r = 0;
  for (int i = 0; i < n; i++) r = GetLine();
  return r;
}

int GetLinePos(long offset) {
  if (pIn) fseek(pIn, offset, SEEK_SET);
  return GetLine();
}
