// Fuzzes the reading of ps -e output for the numbers of a command's
// processes. The input is the command name, a line end, then what ps
// printed, captured as GetCmdResponse captures it with the name as filter.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "MemMgr/MemMgr.h"
#include "SysCmd/Capture.h"
#include "fuzz/FuzzCheck.h"
#include "utils/utils.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t nl = input.find('\n');
  if (nl == std::string::npos || nl > 127) return 0;
  const std::string name = CText(input.substr(0, nl));
  const std::string output = input.substr(nl + 1);

  FILE* f = OpenBytes(data + nl + 1, size - nl - 1);
  Response* list = ReadResponse(f, name.c_str());
  fclose(f);
  char* ids = PsIdListOf(list, name.c_str());

  // Of the lines that hold the name, those whose fourth word is the name
  // give their first word, each behind a blank, the whole closed by one.
  std::string want;
  std::vector<std::string> idList;
  const Response* r = list;
  for (const std::string& piece : FgetsPieces(output, 4096)) {
    const std::string line = CText(piece);
    if (!name.empty() && line.find(name) == std::string::npos) continue;
    FUZZ_CHECK(r && line == r->pRespLine);
    r = r->pNext;
    std::vector<std::string> w = Words(line);
    if (w.size() >= 4 && w[3] == name) {
      want += " " + w[0];
      idList.push_back(w[0]);
    }
  }
  FUZZ_CHECK(r == nullptr);
  if (want.empty()) {
    FUZZ_CHECK(ids == nullptr);
  } else {
    FUZZ_CHECK(ids && want + " " == ids);
    // A token list: each number is found in it.
    for (const std::string& id : idList)
      if (id.size() <= 509) FUZZ_CHECK(FindToken(id.c_str(), ids) > 0);
  }
  PutMem(ids);
  FreeResponseList(list);
  return 0;
}
