// Silent capture of what a command prints: df -k and ps -e.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "MemMgr/MemMgr.h"
#include "SysCmd/Capture.h"
#include "SysCmd/CmdLine.h"
#include "SysCmd/SysCmd.h"

Response* GetCmdResponse(int row, const char* filter, const char* fmt, ...) {
  if (row == CMD_SHELL_LOG) CmdNotFound(row);
  std::string line = CmdPrefix(row);
  va_list ap;
  va_start(ap, fmt);
  AppendCmdFormat(line, fmt, ap);
  va_end(ap);

  std::fflush(stdout);
  FILE* pipe = popen(line.c_str(), "r");
  if (!pipe) return nullptr;
  Response* first = ReadResponse(pipe, filter);
  pclose(pipe);
  return first;
}

Response* ReadResponse(FILE* in, const char* filter) {
  Response* first = nullptr;
  Response** tail = &first;
  char buf[4096];
  while (std::fgets(buf, sizeof buf, in)) {
    if (filter && *filter && !std::strstr(buf, filter)) continue;
    auto* node = static_cast<Response*>(GetMem(sizeof(Response)));
    if (!node) SysError("Unable to allocate memory");
    node->pNext = nullptr;
    node->pRespLine = SaveStr_(buf);
    *tail = node;
    tail = &node->pNext;
  }
  return first;
}

void FreeResponseList(Response* list) {
  while (list) {
    Response* next = list->pNext;
    PutMem(list->pRespLine);
    PutMem(list);
    list = next;
  }
}

// Words of a line split at blanks, tabs and line ends.
static std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < text.size()) {
    i = text.find_first_not_of(" \t\r\n", i);
    if (i == std::string_view::npos) break;
    size_t end = text.find_first_of(" \t\r\n", i);
    if (end == std::string_view::npos) end = text.size();
    words.push_back(text.substr(i, end - i));
    i = end;
  }
  return words;
}

static bool StartsWithAvail(std::string_view word) {
  static constexpr std::string_view kAvail = "avail";
  if (word.size() < kAvail.size()) return false;
  for (size_t i = 0; i < kAvail.size(); ++i)
    if ((word[i] | 0x20) != kAvail[i]) return false;
  return true;
}

// Column of the free space in a df header: "avail" itself, else the
// first word beginning with it in any case (GNU "Available", BSD
// "Avail"); -1 when there is none.
static int AvailColumn(std::string_view header) {
  std::vector<std::string_view> words = Words(header);
  for (size_t i = 0; i < words.size(); ++i)
    if (words[i] == "avail") return static_cast<int>(i);
  for (size_t i = 0; i < words.size(); ++i)
    if (StartsWithAvail(words[i])) return static_cast<int>(i);
  return -1;
}

int GetDiskSpace(const char* dir, int64_t* bytes) {
  Response* list = GetCmdResponse(CMD_DF, "", "%s", dir);
  int found = DiskSpaceOf(list, bytes);
  FreeResponseList(list);
  return found;
}

int DiskSpaceOf(const Response* list, int64_t* bytes) {
  *bytes = 0;
  if (!list) return 0;
  const int column = AvailColumn(list->pRespLine);
  if (column < 0) return 0;  // no figure can be had: the caller skips its check
  // A data line may be split after a long device name; its words then
  // continue on the next line.
  std::vector<std::string_view> words;
  for (const Response* r = list->pNext; r && static_cast<int>(words.size()) <= column;
       r = r->pNext) {
    std::vector<std::string_view> more = Words(r->pRespLine);
    words.insert(words.end(), more.begin(), more.end());
  }
  if (static_cast<int>(words.size()) > column) {
    std::string figure(words[static_cast<size_t>(column)]);
    // A figure that no 64 bits of bytes hold is held at their end, not
    // wrapped: a corrupt df never turns too little space into plenty.
    long long k = std::strtoll(figure.c_str(), nullptr, 10);
    *bytes = k > INT64_MAX / 1024 ? INT64_MAX : k < INT64_MIN / 1024 ? INT64_MIN : k * 1024;
  }
  return 1;
}

char* GetSysPsIdList(const char* name) {
  Response* list = GetCmdResponse(CMD_PS, name, "%s", "");
  char* ids = PsIdListOf(list, name);
  FreeResponseList(list);
  return ids;
}

char* PsIdListOf(const Response* list, const char* name) {
  std::string ids;
  for (const Response* r = list; r; r = r->pNext) {
    std::vector<std::string_view> words = Words(r->pRespLine);
    if (words.size() >= 4 && words[3] == name) {
      ids += ' ';
      ids += words[0];
    }
  }
  if (ids.empty()) return nullptr;
  ids += ' ';
  return SaveStr_(ids.c_str());
}
