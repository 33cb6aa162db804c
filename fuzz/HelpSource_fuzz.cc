// Fuzzes the help compiler with help source, which people write. What it
// compiles, turned back into source and compiled again, gives the very
// same file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "tools/hlpc/HelpSource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string source(reinterpret_cast<const char*>(data), size);
  std::string file, error;
  if (!CompileHelp(source, &file, &error)) {
    // "line N: reason", N a line of the source (0 for an empty one).
    FUZZ_CHECK(error.compare(0, 5, "line ") == 0);
    char* end = nullptr;
    unsigned long n = std::strtoul(error.c_str() + 5, &end, 10);
    FUZZ_CHECK(end != error.c_str() + 5 && end[0] == ':' && end[1] == ' ' && end[2] != '\0');
    FUZZ_CHECK(n <= size);
    return 0;
  }
  FUZZ_CHECK(error.empty());
  FUZZ_CHECK(file.size() >= 3 && file.size() <= 65535);
  // The screen count in the header: one screen per "@screen" line.
  size_t screens = source.compare(0, 7, "@screen") == 0;
  for (size_t i = source.find("\n@screen"); i != std::string::npos; i = source.find("\n@screen", i + 1))
    screens++;
  FUZZ_CHECK(file[0] == 0 &&
             static_cast<size_t>(static_cast<uint8_t>(file[1]) << 8 | static_cast<uint8_t>(file[2])) == screens);

  std::string back, again, back2;
  FUZZ_CHECK(DecompileHelp(file, &back, &error));
  FUZZ_CHECK(CompileHelp(back, &again, &error));
  FUZZ_CHECK(again == file);
  FUZZ_CHECK(DecompileHelp(again, &back2, &error) && back2 == back);
  return 0;
}
