// Fuzzes the reading of /usr/bin/lp for the earlier product's mark. The
// input is the file; DelKDLM reads its first 2000 bytes.
#include <cstdint>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "setup/setup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file(reinterpret_cast<const char*>(data), size);
  const size_t n = size < kEarlierHead ? size : kEarlierHead;
  const std::string head = file.substr(0, n);
  std::string home = "unset";
  bool cut = false;
  const bool marked = EarlierHome(head.data(), n, &home, &cut);

  // The earlier product's lp: a shell script with the mark in the bytes read.
  const size_t mark = head.find("KDLM_HOME=");
  FUZZ_CHECK(marked == (head.compare(0, 9, "#!/bin/sh") == 0 && n >= 9 && mark != std::string::npos));
  if (!marked) {
    FUZZ_CHECK(home == "unset" && !cut);
    return 0;
  }
  // The home is the rest of the mark's line.
  const size_t start = mark + 10;
  const size_t end = head.find_first_of(std::string("\n\r\0", 3), start);
  FUZZ_CHECK(home == head.substr(start, end == std::string::npos ? end : end - start));
  FUZZ_CHECK(home.find_first_of(std::string("\n\r\0", 3)) == std::string::npos);
  // A home not marked cut is the whole line of the file, not a piece of it.
  const size_t fileEnd = file.find_first_of(std::string("\n\r\0", 3), start);
  if (!cut) FUZZ_CHECK(home == file.substr(start, fileEnd == std::string::npos ? fileEnd : fileEnd - start));
  FUZZ_CHECK(!cut || (end == std::string::npos && n == kEarlierHead));
  return 0;
}
