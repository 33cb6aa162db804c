// Fuzzes the checker of the package list pkg/pkg.list. The input is the
// list; its lines reach the checker as they do at installation: through
// GetFileLine, with a line cut at the read's limit marked incomplete.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "setup/setup.h"
#include "utils/utils.h"

namespace {

// The modes the chmod of POSIX reads: an octal number (four digits at
// most here), or comma-separated clauses of who letters and actions. As
// its first argument, "--" and what begins with it are options.
bool ChmodReads(const std::string& mode) {
  static const std::regex kMode(
      "[0-7]{1,4}|"
      "[ugoa]*([-+=]([rwxXst]*|[ugo]))+(,[ugoa]*([-+=]([rwxXst]*|[ugo]))+)*");
  return mode.compare(0, 2, "--") != 0 && std::regex_match(mode, kMode);
}

int Keyword(const std::string& w) {
  static const char* const kWords[] = {"mode", "bat", "owner", "group"};
  for (int i = 0; i < 4; i++)
    if (w == kWords[i]) return i + 1;
  return 0;
}

bool Plain(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (unsigned char c : name)
    if (c == '/' || c < 0x20 || c == 0x7f) return false;
  return true;
}

// The words of a line without backslashes: split at blanks and line ends,
// each cut to 127 characters.
void Words(const std::string& line, std::vector<std::string>* words, std::vector<char>* cut) {
  size_t i = 0;
  for (;;) {
    i = line.find_first_not_of(" \r\n", i);
    if (i == std::string::npos) return;
    size_t e = line.find_first_of(" \r\n", i);
    if (e == std::string::npos) e = line.size();
    words->push_back(line.substr(i, std::min<size_t>(e - i, 127)));
    cut->push_back(e - i > 127);
    i = e;
  }
}

// Whether a complete line taken apart as pl may be applied: a whole plain
// file name, and no mode, owner or group that is cut, would be an option
// of its command or is a mode chmod does not read ("-w" is one it reads).
bool Acceptable(const PkgLine& pl) {
  if (pl.Words.empty()) return true;
  if (pl.Cut[0] || !Plain(pl.Words[0])) return false;
  for (size_t i = 1; i + 1 < pl.Words.size(); i += 2) {
    int key = Keyword(pl.Words[i]);
    if (key != 1 && key != 3 && key != 4) continue;
    const std::string& value = pl.Words[i + 1];
    if (pl.Cut[i + 1] || value.compare(0, 2, "--") == 0) return false;
    if (key == 1 ? !ChmodReads(value) : value[0] == '-') return false;
  }
  return true;
}

void CheckLine(const char* line, bool complete) {
  PkgLine pl;
  const std::string text = line;
  const char* why = PkgLineError(line, complete, &pl);
  FUZZ_CHECK(text == line);
  if (!complete) {
    FUZZ_CHECK(why && std::strcmp(why, "line too long") == 0);
    return;
  }
  FUZZ_CHECK(pl.Words.size() == pl.Cut.size());
  for (size_t i = 0; i < pl.Words.size(); i++) {
    FUZZ_CHECK(!pl.Words[i].empty() && pl.Words[i].size() <= 127);
    FUZZ_CHECK(!pl.Cut[i] || pl.Words[i].size() == 127);
    FUZZ_CHECK(PkgKeyword(pl.Words[i]) == Keyword(pl.Words[i]));
  }
  FUZZ_CHECK(pl.Words.empty() ? pl.File.empty() : pl.File == pl.Words[0]);
  if (text.find('\\') == std::string::npos) {
    std::vector<std::string> words;
    std::vector<char> cut;
    Words(text, &words, &cut);
    FUZZ_CHECK(pl.Words == words && pl.Cut == cut);
  }
  // Refused exactly when it must be.
  FUZZ_CHECK((why == nullptr) == Acceptable(pl));
  for (const std::string& w : pl.Words) FUZZ_CHECK(IsChmodMode(w.c_str()) == ChmodReads(w));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pIn = OpenBytes(data, size);
  // As LoadPkgList reads: only the file's last line may lack its end.
  while (GetFileLine()) CheckLine(LineBuf, PkgLineComplete());
  FUZZ_CHECK(pIn == nullptr);
  return 0;
}
