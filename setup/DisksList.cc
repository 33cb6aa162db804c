// Reading the "disks" list of a medium. The whole list is cut and checked
// before any of its files is copied, so a cut list or a name that would
// reach outside the medium's directory is refused rather than acted on.
#include <cstdio>
#include <cstring>

#include "setup/setup.h"
#include "utils/utils.h"

static const char kEndOfList[] = "end_of_list";
static const char kWordDelims[] = " \t\r\n";

bool IsPlainFileName(const char* name) {
  if (name == nullptr || *name == '\0' || std::strcmp(name, ".") == 0 ||
      std::strcmp(name, "..") == 0)
    return false;
  // Escapes can put line ends and other control bytes into a name; such a
  // name would split a command line or a log line.
  for (const char* p = name; *p != '\0'; p++)
    if (*p == '/' || static_cast<unsigned char>(*p) < 0x20 || *p == 0x7f) return false;
  return true;
}

static char Reason[256];

const char* SplitDisksList(const char* text, bool stopAtWord, DisksLines* lines) {
  lines->clear();
  std::string line;
  const char* p = text;
  while (*p != '\0') {
    // Runs of line ends are one separator, so empty lines do not count.
    size_t n = std::strcspn(p, "\r\n");
    line.assign(p, n);
    p += n;
    p += std::strspn(p, "\r\n");
    if (line.empty()) continue;
    if (line == kEndOfList) break;

    std::vector<std::string> names;
    for (char* word = GetToken(line.c_str(), kWordDelims); word != nullptr;
         word = GetToken(nullptr, kWordDelims)) {
      if (flTokenCut) return "holds a name longer than 127 characters";
      if (stopAtWord && std::strcmp(word, kEndOfList) == 0) break;
      if (!IsPlainFileName(word)) {
        std::snprintf(Reason, sizeof Reason, "names \"%.200s\", which is not a plain file name",
                      word);
        return Reason;
      }
      names.emplace_back(word);
    }
    lines->push_back(std::move(names));
  }
  return nullptr;
}

DisksLines LoadDisksList(const char* listPath, bool stopAtWord) {
  if (flContentCut) ErrorMsg(2, 1, "the list %s is longer than 4095 bytes", listPath);
  DisksLines lines;
  if (const char* why = SplitDisksList(LineBuf, stopAtWord, &lines))
    ErrorMsg(2, 1, "the list %s %s", listPath, why);
  return lines;
}
