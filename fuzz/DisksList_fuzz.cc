// Fuzzes the reader of a medium's "disks" list. The input is the list as
// GetFileContent leaves it in LineBuf (at most 4095 bytes, up to a NUL).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "setup/setup.h"
#include "utils/utils.h"

namespace {

const char kEnd[] = "end_of_list";
const char kLong[] = "holds a name longer than 127 characters";

bool Plain(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.size() > 127) return false;
  for (unsigned char c : name)
    if (c == '/' || c < 0x20 || c == 0x7f) return false;
  return true;
}

// The non-empty lines before the first line that is exactly the marker.
std::vector<std::string> LiveLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t i = 0;
  while (i < text.size()) {
    size_t n = text.find_first_of("\r\n", i);
    if (n == std::string::npos) n = text.size();
    std::string line = text.substr(i, n - i);
    i = text.find_first_not_of("\r\n", n);
    if (i == std::string::npos) i = text.size();
    if (line.empty()) continue;
    if (line == kEnd) break;
    lines.push_back(line);
  }
  return lines;
}

// What a list without backslashes must give: the words of each live line,
// or the first word that is refused.
const char* Expected(const std::vector<std::string>& live, bool stopAtWord, DisksLines* out) {
  static std::string why;
  for (const std::string& line : live) {
    std::vector<std::string> names;
    size_t i = 0;
    for (;;) {
      i = line.find_first_not_of(" \t", i);
      if (i == std::string::npos) break;
      size_t e = line.find_first_of(" \t", i);
      if (e == std::string::npos) e = line.size();
      std::string word = line.substr(i, e - i);
      i = e;
      if (word.size() > 127) return kLong;
      if (stopAtWord && word == kEnd) break;
      if (!Plain(word)) {
        why = "names \"" + word.substr(0, 200) + "\", which is not a plain file name";
        return why.c_str();
      }
      names.push_back(word);
    }
    out->push_back(names);
  }
  return nullptr;
}

bool KnownReason(const char* why) {
  static const char kTail[] = "\", which is not a plain file name";
  size_t n = std::strlen(why), t = sizeof kTail - 1;
  return std::strcmp(why, kLong) == 0 ||
         (std::strncmp(why, "names \"", 7) == 0 && n >= 7 + t && std::strcmp(why + n - t, kTail) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t n = size < sizeof LineBuf - 1 ? size : sizeof LineBuf - 1;
  std::memcpy(LineBuf, data, n);
  LineBuf[n] = '\0';
  const std::string text = LineBuf;
  const std::vector<std::string> live = LiveLines(text);
  const bool escapes = text.find('\\') != std::string::npos;

  DisksLines got[2];
  bool refused[2];
  for (int stop = 0; stop < 2; stop++) {
    const char* why = SplitDisksList(LineBuf, stop != 0, &got[stop]);
    refused[stop] = why != nullptr;
    FUZZ_CHECK(LineBuf == text);  // the list is only read
    if (why) {
      FUZZ_CHECK(KnownReason(why));
    } else {
      // One entry per live line, none from behind the marker.
      FUZZ_CHECK(got[stop].size() == live.size());
      for (const auto& line : got[stop])
        for (const std::string& name : line) {
          FUZZ_CHECK(Plain(name));
          FUZZ_CHECK(!stop || name != kEnd);
        }
    }
    if (!escapes) {
      DisksLines want;
      const char* wantWhy = Expected(live, stop != 0, &want);
      FUZZ_CHECK((why == nullptr) == (wantWhy == nullptr));
      if (wantWhy) FUZZ_CHECK(std::strcmp(why, wantWhy) == 0);
      else FUZZ_CHECK(got[stop] == want);
    }
  }
  // Stopping at the word only shortens lines: a list it refuses, the whole
  // reading refuses too.
  if (refused[1]) {
    FUZZ_CHECK(refused[0]);
  } else if (!refused[0]) {
    for (size_t l = 0; l < got[0].size(); l++) {
      const auto& whole = got[0][l];
      const auto& cut = got[1][l];
      FUZZ_CHECK(cut.size() <= whole.size());
      FUZZ_CHECK(std::equal(cut.begin(), cut.end(), whole.begin()));
      FUZZ_CHECK(cut.size() == whole.size() || whole[cut.size()] == kEnd);
    }
  }
  return 0;
}
