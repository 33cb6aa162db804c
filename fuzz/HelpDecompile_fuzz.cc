// Fuzzes the help decompiler with any file. The source it gives compiles
// (unless the file has more than one help file can hold: too many links,
// screens or bytes), back into the same screen bytes, and that file
// decompiles into the same source.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "tools/hlpc/HelpSource.h"

namespace {

uint32_t Get32(const std::string& f, size_t i) {
  uint32_t v = 0;
  for (size_t k = 0; k < 4; k++) v = v << 8 | (i + k < f.size() ? static_cast<uint8_t>(f[i + k]) : 0);
  return v;
}

// Where the content bytes of screen n are, as a reader of the layout
// finds them: the table entry's record, its length taken as far as the
// file goes.
std::string_view Screen(const std::string& f, size_t n) {
  size_t off = Get32(f, 3 + 4 * n);
  if (off + 7 > f.size()) return {};
  int32_t len = static_cast<int32_t>(Get32(f, off + 3));
  if (len <= 0) return {};
  return std::string_view(f).substr(off + 7, static_cast<size_t>(len));
}

bool Allowed(const std::string& error) {
  for (const char* why : {"more than 42 links", "more than the viewer reads", "too many screens",
                          "no @screen in the source"})
    if (error.find(why) != std::string::npos) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file(reinterpret_cast<const char*>(data), size);
  size_t tableEnd = file.size();
  if (file.size() >= 7 && Get32(file, 3) < tableEnd) tableEnd = Get32(file, 3);
  const size_t count = tableEnd >= 7 ? (tableEnd - 3) / 4 : 0;
  size_t total = 0;
  for (size_t n = 0; n < count; n++) total += Screen(file, n).size();

  std::string source, error;
  if (!DecompileHelp(file, &source, &error)) {
    FUZZ_CHECK(size < 3 || total > 65535);
    return 0;
  }
  FUZZ_CHECK(size >= 3 && total <= 65535);
  // Screens that share their bytes many times over only repeat the work.
  if (total > size + 4096) return 0;
  // The source is at most a few times the screens' bytes.
  FUZZ_CHECK(source.size() <= 32 * (count + 1) + 8 * total);
  std::string again;
  if (!CompileHelp(source, &again, &error)) {
    FUZZ_CHECK(Allowed(error));
    return 0;
  }
  // As many screens as the table has, each with its bytes.
  FUZZ_CHECK(count == static_cast<size_t>(static_cast<uint8_t>(again[1]) << 8 | static_cast<uint8_t>(again[2])));
  for (size_t n = 0; n < count; n++) FUZZ_CHECK(Screen(again, n) == Screen(file, n));
  std::string back;
  FUZZ_CHECK(DecompileHelp(again, &back, &error) && back == source);
  return 0;
}
