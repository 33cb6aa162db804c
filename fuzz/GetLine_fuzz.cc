// Fuzzes GetLine with and without its comment filter, and GetLinePos
// going back to a saved position. The input is a flags byte (bit 0: the
// filter on), then the file, read through the shared stream pIn.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "utils/utils.h"

namespace {

const size_t kArea = 512;  // the part of Line that GetLine uses

// The line in Line: text, then NULs to the end of the area.
std::string Taken() {
  size_t len = std::strlen(Line);
  FUZZ_CHECK(len < kArea);
  for (size_t i = len; i < kArea; i++) FUZZ_CHECK(Line[i] == '\0');
  return std::string(Line, len);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const bool filter = data[0] & 1;
  const std::string in(reinterpret_cast<const char*>(data) + 1, size - 1);
  const bool nul = in.find('\0') != std::string::npos;
  // Physical lines are read in pieces of at most 510 bytes, NULs or not.
  const std::vector<std::string> pieces = FgetsPieces(in, 511);

  flInputFilterState = filter;
  pIn = OpenBytes(data + 1, size - 1);
  std::string all;
  size_t consumed = 0;
  for (;;) {
    // At the end a comment may still have taken lines: 0, not LineCnt.
    int got = GetLine();
    FUZZ_CHECK(got == 0 || got == LineCnt);
    FUZZ_CHECK(LineCnt >= 0);
    consumed += static_cast<size_t>(LineCnt);
    const std::string line = Taken();
    FUZZ_CHECK(InPos >= 0 && static_cast<size_t>(InPos) <= in.size());
    if (got == 0) {
      FUZZ_CHECK(line.empty());
      break;
    }
    if (!filter) {
      FUZZ_CHECK(got == 1);
      FUZZ_CHECK(nul || line == pieces[consumed - 1]);
      all += line;
    } else {
      // No line comment and no line end are left.
      FUZZ_CHECK(line.find("//") == std::string::npos);
      FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
    }
    // A line read from one physical line is read again from its position.
    if (got == 1) {
      const long back = InPos;
      FUZZ_CHECK(GetLinePos(back) == 1);
      FUZZ_CHECK(Taken() == line && InPos == back);
    }
  }
  // Every physical line was read once, also those of a comment that the
  // file ended in.
  FUZZ_CHECK(consumed == pieces.size());
  if (!filter && !nul) FUZZ_CHECK(all == in);
  CloseInputFile();
  flInputFilterState = 1;
  return 0;
}
