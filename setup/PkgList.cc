// The package list pkg/pkg.list: read whole and checked before any of its
// lines is applied, so a bad line changes nothing under the driver
// directory. Every value that reaches a command line is refused unless it
// is what its command expects: a plain file name, a chmod mode, an owner
// or group that is no option.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "setup/setup.h"
#include "utils/utils.h"

// The keyword's place in PKG_KEYWORDS, 0 for any other word. A word
// holding the list's separator would match across entries.
int PkgKeyword(const std::string& word) {
  if (word.find(',') != std::string::npos) return 0;
  return FindToken(word.c_str(), PKG_KEYWORDS);
}

// Octal digits, or clauses of who letters and actions as chmod reads them:
// [ugoa]*([-+=]([rwxXst]*|[ugo]))+ separated by commas.
bool IsChmodMode(const char* mode) {
  // chmod reads "-w" as a mode, but "--" and all after it as options.
  if (!mode || !*mode || std::strncmp(mode, "--", 2) == 0) return false;
  if (std::strspn(mode, "01234567") == std::strlen(mode)) return std::strlen(mode) <= 4;
  const char* p = mode;
  for (;;) {
    p += std::strspn(p, "ugoa");
    if (!*p || !std::strchr("-+=", *p)) return false;
    while (*p && std::strchr("-+=", *p)) {
      ++p;
      if (*p && std::strchr("ugo", *p))
        ++p;
      else
        p += std::strspn(p, "rwxXst");
    }
    if (!*p) return true;
    if (*p != ',') return false;
    ++p;
  }
}

const char* PkgLineError(const char* line, bool complete, PkgLine* out) {
  if (!complete) return "line too long";
  const char* delims = " \n\r";
  for (char* w = GetToken(line, delims); w; w = GetToken(nullptr, delims)) {
    out->Words.emplace_back(w);
    out->Cut.push_back(flTokenCut ? 1 : 0);
  }
  if (out->Words.empty()) return nullptr;
  out->File = out->Words[0];
  if (out->Cut[0] || !IsPlainFileName(out->File.c_str())) return "not a plain file name";
  // A cut mode, owner or group would name another one, and one that
  // begins with '-' would be taken as an option of its command. A cut
  // wrapper name is only skipped, like any other wrapper that cannot be
  // written, and pairs of unknown keywords are not looked at.
  for (size_t i = 1; i + 1 < out->Words.size(); i += 2) {
    int key = PkgKeyword(out->Words[i]);
    if (key != 1 && key != 3 && key != 4) continue;
    if (out->Cut[i + 1]) return "value longer than 127 characters";
    if (key == 1 && !IsChmodMode(out->Words[i + 1].c_str())) return "mode is not a chmod mode";
    if (key != 1 && out->Words[i + 1][0] == '-') return "value begins with '-'";
  }
  return nullptr;
}

bool PkgLineComplete() {
  // GetFileLine hands a longer line over in pieces: only the last line of
  // the file may lack its line end.
  size_t len = std::strlen(LineBuf);
  if (len == 0 || LineBuf[len - 1] == '\n' || !pIn) return true;
  int c = std::fgetc(pIn);
  if (c == EOF) return true;
  std::ungetc(c, pIn);
  return false;
}

std::vector<PkgLine> LoadPkgList() {
  const std::string list = std::string(pZantoInstallDir) + "/pkg/pkg.list";
  OpenInputFile(list.c_str(), 2);
  std::vector<PkgLine> lines;
  // Counted in lines of the file: a logical line may join several.
  for (int lineNo = 1, next = 1; GetFileLine(); lineNo = next) {
    for (const char* c = LineBuf; (c = std::strchr(c, '\n')); ++c) ++next;
    PkgLine pl;
    const char* err = PkgLineError(LineBuf, PkgLineComplete(), &pl);
    struct stat st;
    std::string file = std::string(pZantoInstallDir) + "/pkg/" + pl.File;
    if (!err && !pl.Words.empty() && (lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)))
      err = "no such file in the package";
    if (err) {
      CloseInputFile();
      ErrorMsg(2, 1, "%s, line %i: %s", list.c_str(), lineNo, err);
    }
    if (!pl.Words.empty()) lines.push_back(std::move(pl));
  }
  CloseInputFile();
  return lines;
}
