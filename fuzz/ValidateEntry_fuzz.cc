// Fuzzes entry validation. The input is the entry, a NUL byte, then the
// descriptor; without a NUL the whole input is the descriptor and the
// entry is empty. Confirmation lines come from a file of empty lines.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "textmenu/textmenu.h"

static char confirmPath[] = "/tmp/ValidateEntry_fuzz_XXXXXX";

static void RemoveTemp() { remove(confirmPath); }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  int fd = mkstemp(confirmPath);
  if (fd < 0) abort();
  atexit(RemoveTemp);
  FILE* f = fdopen(fd, "w");
  for (int i = 0; i < 16; i++) fputc('\n', f);
  fclose(f);
  if (!freopen(confirmPath, "r", stdin)) abort();
  if (!freopen("/dev/null", "w", stdout)) abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t cut = input.find('\0');
  std::string entry = cut == std::string::npos ? "" : input.substr(0, cut);
  std::string rule = cut == std::string::npos ? input : input.substr(cut + 1);
  // The rule itself ends at its first NUL, as a C text does.
  rule = rule.c_str();
  rewind(stdin);
  int code = ValidateEntry(entry.c_str(), rule.c_str());
  if (code < 0 || code > 4) abort();
  TestName(entry.c_str());
  return 0;
}
