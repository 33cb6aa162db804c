// Fuzzes the reading of df -k output for the free space. The input is
// what df printed, captured as GetCmdResponse captures it.
#include <cstdint>
#include <string>
#include <vector>

#include "MemMgr/MemMgr.h"
#include "SysCmd/Capture.h"
#include "fuzz/FuzzCheck.h"

namespace {

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  for (size_t i = line.find_first_not_of(" \t\r\n"); i != std::string::npos;
       i = line.find_first_not_of(" \t\r\n", i)) {
    size_t e = line.find_first_of(" \t\r\n", i);
    words.push_back(line.substr(i, e - i));
    i = e;
  }
  return words;
}

bool AvailPrefix(const std::string& w) {
  if (w.size() < 5) return false;
  for (size_t i = 0; i < 5; i++)
    if ((w[i] | 0x20) != "avail"[i]) return false;
  return true;
}

// The figure's number of kilobytes in bytes, as far as 64 bits reach; as
// strtoll reads it, white space that is no word break comes first.
int64_t Bytes(const std::string& figure) {
  size_t i = figure.find_first_not_of("\v\f");
  if (i == std::string::npos) return 0;
  bool minus = false;
  if (i < figure.size() && (figure[i] == '+' || figure[i] == '-')) minus = figure[i++] == '-';
  __int128 k = 0;
  for (; i < figure.size() && figure[i] >= '0' && figure[i] <= '9'; i++)
    if (k < (static_cast<__int128>(1) << 80)) k = k * 10 + (figure[i] - '0');
  k = (minus ? -k : k) * 1024;
  if (k > INT64_MAX) return INT64_MAX;
  if (k < INT64_MIN) return INT64_MIN;
  return static_cast<int64_t>(k);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* f = OpenBytes(data, size);
  Response* list = ReadResponse(f, "");
  fclose(f);
  int64_t bytes = -1;
  const int found = DiskSpaceOf(list, &bytes);

  // The lines as kept: pieces of at most 4095 bytes, each up to a NUL.
  std::vector<std::string> lines;
  for (const std::string& piece : FgetsPieces(std::string(reinterpret_cast<const char*>(data), size), 4096))
    lines.push_back(CText(piece));
  size_t kept = 0;
  for (const Response* r = list; r; r = r->pNext, kept++) FUZZ_CHECK(kept < lines.size() && lines[kept] == r->pRespLine);
  FUZZ_CHECK(kept == lines.size());

  // The header's "avail" column, else its first word that begins with it
  // in any case; the figure in that column of the words that follow.
  int column = -1;
  if (!lines.empty()) {
    std::vector<std::string> head = Words(lines[0]);
    for (size_t i = 0; i < head.size() && column < 0; i++)
      if (head[i] == "avail") column = static_cast<int>(i);
    for (size_t i = 0; i < head.size() && column < 0; i++)
      if (AvailPrefix(head[i])) column = static_cast<int>(i);
  }
  FUZZ_CHECK(found == (column >= 0));
  int64_t want = 0;
  if (column >= 0) {
    std::vector<std::string> words;
    for (size_t l = 1; l < lines.size() && words.size() <= static_cast<size_t>(column); l++) {
      std::vector<std::string> more = Words(lines[l]);
      words.insert(words.end(), more.begin(), more.end());
    }
    if (words.size() > static_cast<size_t>(column)) want = Bytes(words[static_cast<size_t>(column)]);
  }
  FUZZ_CHECK(bytes == want);
  FreeResponseList(list);
  return 0;
}
