// The help file image: reading it whole and its header records.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "HelpTty/HelpTty.h"

uint8_t Data[HELP_DATA_SIZE];
uint32_t FileSize;
uint32_t DataI;
uint32_t Index;
JumpRec JR;
DataRec DR;
const char* pHelpFile = "setup.hlp";

// End of the screen table: screen 0's record, or the file's end.
static uint64_t TableEnd;

// Bytes past the file's end read as 0, so a record cut off by the end of
// the file never reaches stale data.
static unsigned ByteAt(uint64_t i) { return i < FileSize ? Data[i] : 0; }

static uint32_t Get32(uint64_t i) {
  return ByteAt(i) << 24 | ByteAt(i + 1) << 16 | ByteAt(i + 2) << 8 | ByteAt(i + 3);
}

void GetJumpRec(uint32_t* pos) {
  JR.Type = static_cast<uint8_t>(ByteAt(*pos));
  JR.Value = static_cast<uint16_t>(ByteAt(*pos + 1) << 8 | ByteAt(*pos + 2));
  *pos += 3;
}

void GetDataRec(uint32_t* pos) {
  DR.Type = static_cast<uint8_t>(ByteAt(*pos));
  DR.Field = static_cast<uint16_t>(ByteAt(*pos + 1) << 8 | ByteAt(*pos + 2));
  DR.Len = static_cast<int32_t>(Get32(uint64_t{*pos} + 3));
  *pos += 7;
}

static void TakeImage(uint32_t size) {
  FileSize = size;
  memset(Data + size, 0, sizeof Data - size);
  TableEnd = size;
  if (size >= 7 && Get32(3) < TableEnd) TableEnd = Get32(3);
}

int HelpScreenExists(unsigned screen) {
  return screen == 0 || 4 * uint64_t{screen} + 7 <= TableEnd;
}

int SetHelpData(const void* bytes, size_t size) {
  if (size > sizeof Data) return 0;
  if (size) memcpy(Data, bytes, size);
  TakeImage(static_cast<uint32_t>(size));
  return 1;
}

int LoadHelpFile(const char* path) {
  // Non-blocking, so that a FIFO in its place cannot hang the viewer.
  int fd = open(path, O_RDONLY | O_NONBLOCK);
  if (fd < 0) return 0;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > HELP_DATA_SIZE) {
    close(fd);
    return 0;
  }
  // A file that shrinks while it is read gives the bytes that were there.
  size_t got = 0, want = static_cast<size_t>(st.st_size);
  while (got < want) {
    ssize_t n = read(fd, Data + got, want - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      return 0;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  close(fd);
  TakeImage(static_cast<uint32_t>(got));
  return 1;
}
