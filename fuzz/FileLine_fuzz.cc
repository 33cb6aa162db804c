// Fuzzes GetFileLine, continuation lines included, and GetFileTextLine.
// The input is the file, read through the shared stream pIn.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "utils/utils.h"

namespace {

const size_t kPiece = 511;  // fgets size of one physical line

struct LogicalLine {
  std::string text;
  size_t lastPiece;  // LineLen: where the last piece read begins
};

// The logical lines of a file without NUL bytes: a physical line, or its
// first 510 characters; while the last piece ends in backslash and line
// feed, the next piece follows, as much as LineBuf still holds.
std::vector<LogicalLine> Lines(const std::string& in) {
  std::vector<LogicalLine> lines;
  auto piece = [&](size_t at, size_t room) {
    size_t nl = in.find('\n', at);
    size_t end = nl == std::string::npos ? in.size() : nl + 1;
    return std::min(end, at + room - 1) - at;
  };
  size_t at = 0;
  while (at < in.size()) {
    size_t len = piece(at, kPiece);
    LogicalLine l{in.substr(at, len), 0};
    at += len;
    while (len >= 2 && l.text.compare(l.text.size() - 2, 2, "\\\n") == 0) {
      l.lastPiece = l.text.size();
      size_t room = sizeof LineBuf - l.text.size();
      if (room < 2 || at >= in.size()) break;
      len = piece(at, room);
      l.text += in.substr(at, len);
      at += len;
    }
    lines.push_back(l);
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  const bool nul = in.find('\0') != std::string::npos;
  std::vector<LogicalLine> want;
  if (!nul) want = Lines(in);

  pIn = OpenBytes(data, size);
  std::string all;
  size_t n = 0;
  while (GetFileLine()) {
    FUZZ_CHECK(pIn != nullptr);
    size_t len = std::strlen(LineBuf);
    FUZZ_CHECK(len < sizeof LineBuf);
    FUZZ_CHECK(LineLen >= 0 && static_cast<size_t>(LineLen) <= len);
    if (!nul) {
      FUZZ_CHECK(n < want.size());
      FUZZ_CHECK(want[n].text == LineBuf);
      FUZZ_CHECK(want[n].lastPiece == static_cast<size_t>(LineLen));
    }
    all += LineBuf;
    n++;
    FUZZ_CHECK(n <= size);
  }
  FUZZ_CHECK(pIn == nullptr && LineBuf[0] == '\0');
  FUZZ_CHECK(GetFileLine() == 0);
  // Nothing lost, nothing twice.
  if (!nul) FUZZ_CHECK(n == want.size() && all == in);

  // The first token of each logical line that is no comment.
  const char* delims = " \t\n";
  std::vector<std::string> words, wantWords;
  pIn = OpenBytes(data, size);
  while (GetFileTextLine(delims)) {
    size_t len = std::strlen(LineBuf);
    FUZZ_CHECK(len > 0 && std::strcspn(LineBuf, delims) == len);
    words.push_back(LineBuf);
  }
  for (const LogicalLine& l : want) {
    const std::string& t = l.text;
    size_t s = t.find_first_not_of(delims);
    if (t[0] == '#' || s == std::string::npos) continue;
    wantWords.push_back(t.substr(s, t.find_first_of(delims, s) - s));
  }
  if (!nul) FUZZ_CHECK(words == wantWords);
  FUZZ_CHECK(pIn == nullptr);
  return 0;
}
