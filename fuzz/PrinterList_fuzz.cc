// Fuzzes the reading of the earlier product's printer list, whose queue
// names DelKDLM removes from the lp service. The input is the list, read
// line by line through GetFileLine as DelKDLM reads it.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "setup/setup.h"
#include "utils/utils.h"

namespace {

bool Plain(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.size() > 127) return false;
  for (unsigned char c : name)
    if (c == '/' || c < 0x20 || c == 0x7f) return false;
  return true;
}

struct Queue {
  EarlierQueue kind;
  std::string name;
  bool operator==(const Queue&) const = default;
};

// What a list without backslashes and NULs names: the first word of each
// line that does not begin with '#' (words end at blanks, tabs, '#' and
// line ends), whole or not at all. Only a line's first 510 bytes are
// looked at; a word that reaches past them is left alone, also at the
// end of a last line of exactly 510 bytes.
std::vector<Queue> Expected(const std::string& in) {
  std::vector<Queue> out;
  size_t at = 0;
  while (at < in.size()) {
    size_t nl = in.find('\n', at);
    std::string line = in.substr(at, nl == std::string::npos ? nl : nl - at);
    at = nl == std::string::npos ? in.size() : nl + 1;
    if (line.empty() || line[0] == '#') continue;
    const bool goesOn = line.size() >= 510;
    const std::string piece = line.substr(0, 510);
    size_t s = piece.find_first_not_of(" \t#\r");
    if (s == std::string::npos) continue;
    size_t e = piece.find_first_of(" \t#\r", s);
    std::string word = piece.substr(s, e - s);
    if (word.size() > 127) out.push_back({QUEUE_CUT, ""});
    else if (goesOn && e == std::string::npos) out.push_back({QUEUE_LONG_LINE, ""});
    else out.push_back({Plain(word) ? QUEUE_NAME : QUEUE_REFUSED, word});
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  std::vector<Queue> got;
  pIn = OpenBytes(data, size);
  bool lineStart = true;
  while (GetFileLine()) {
    const std::string piece = LineBuf;
    const bool wasStart = lineStart;
    const std::string unset(200, '?');  // longer than any word it may hold
    std::string name = unset;
    EarlierQueue kind = EarlierQueueName(LineBuf, std::feof(pIn) != 0, &lineStart, &name);
    FUZZ_CHECK(piece == LineBuf);
    FUZZ_CHECK(lineStart == (!piece.empty() && piece.back() == '\n'));
    if (kind == QUEUE_NONE || kind == QUEUE_CUT || kind == QUEUE_LONG_LINE) {
      FUZZ_CHECK(name == unset);
    } else {
      // Only a line's first word, and only a plain name is removed.
      FUZZ_CHECK(wasStart && piece[0] != '#' && piece[0] != '\n');
      FUZZ_CHECK(!name.empty() && name.size() <= 127);
      // Escapes put any character into a word.
      FUZZ_CHECK(piece.find('\\') != std::string::npos ||
                 name.find_first_of(" \t#\r\n") == std::string::npos);
      FUZZ_CHECK((kind == QUEUE_NAME) == Plain(name));
    }
    if (kind != QUEUE_NONE) got.push_back({kind, name == unset ? "" : name});
  }
  FUZZ_CHECK(pIn == nullptr);
  if (in.find_first_of(std::string("\\\0", 2)) == std::string::npos) FUZZ_CHECK(got == Expected(in));
  return 0;
}
