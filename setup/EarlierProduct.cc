// Removal of what the maker's earlier print product left behind: its
// replacement lp and lpr (the system's own are in the save directories),
// its home and model directories, and the lp service entries of its print
// queues.
#include <fnmatch.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "SysCmd/SysCmd.h"
#include "setup/setup.h"
#include "utils/utils.h"

static const char kLp[] = "/usr/bin/lp";
static const char kLpr[] = "/usr/ucb/lpr";
static const char kMark[] = "KDLM_HOME=";

// The lp service directories holding one entry per queue, in the order
// they are cleaned.
static const char* const kQueueDirs[] = {
    "/var/spool/lp/admins/lp/printers",
    "/var/spool/lp/admins/lp/interfaces",
    "/var/spool/lp/requests",
};

bool EarlierHome(const char* head, size_t n, std::string* home, bool* cut) {
  if (n < 9 || std::memcmp(head, "#!/bin/sh", 9) != 0) return false;
  const char* mark = static_cast<const char*>(memmem(head, n, kMark, sizeof kMark - 1));
  if (mark == nullptr) return false;
  const char* start = mark + sizeof kMark - 1;
  const char* end = start;
  while (end < head + n && *end != '\n' && *end != '\r' && *end != '\0') end++;
  home->assign(start, end);
  // A line that runs past the bytes read was cut: its home would be a
  // shorter path, perhaps one of the system's.
  *cut = end == head + n && n == kEarlierHead;
  return true;
}

// The home named by the earlier lp, or false when the file is not the
// earlier product's lp.
static bool ReadHome(std::string* home, bool* cut) {
  if (!OpenInputFile(kLp, 1)) return false;
  char head[kEarlierHead];
  size_t n = std::fread(head, 1, sizeof head, pIn);
  CloseInputFile();
  return EarlierHome(head, n, home, cut);
}

// Directories that no home may be, nor contain: the system's own trees and
// those this installer writes into. Every directory directly under the
// root counts too.
static const char* const kSystemDirs[] = {
    "/usr/bin", "/usr/sbin", "/usr/lib*", "/usr/libexec", "/usr/include", "/usr/share",
    "/usr/src", "/usr/ucb", "/usr/local", "/usr/local/bin", "/usr/local/sbin",
    "/usr/local/lib*", "/usr/local/etc", "/usr/local/include", "/usr/local/share",
    "/var/lib", "/var/log", "/var/spool", "/var/spool/lp", "/var/cache", "/var/tmp",
    "/var/opt", "/etc/rc2.d", "/var/spool/Zanto", "/usr/bin/ZantoSave", "/usr/ucb/ZantoSave",
};

// The path with single slashes and no trailing one; empty when it is not
// absolute or climbs with "." or "..".
static std::string CleanHome(const std::string& home) {
  if (home.empty() || home[0] != '/') return "";
  std::string clean;
  size_t i = 0;
  while (i < home.size()) {
    size_t j = home.find('/', i);
    if (j == std::string::npos) j = home.size();
    std::string part = home.substr(i, j - i);
    if (part == "." || part == "..") return "";
    if (!part.empty()) clean += "/" + part;
    i = j + 1;
  }
  return clean;
}

// True for a system directory, or one that holds a system directory.
static bool IsSystemDir(const std::string& dir) {
  if (dir.empty() || dir.find('/', 1) == std::string::npos) return true;  // "/" or "/x"
  for (const char* sys : kSystemDirs) {
    if (fnmatch(sys, dir.c_str(), 0) == 0) return true;
    if (std::strncmp(sys, (dir + "/").c_str(), dir.size() + 1) == 0) return true;
  }
  return false;
}

bool IsUsableHome(const std::string& home) {
  std::string clean = CleanHome(home);
  if (IsSystemDir(clean)) return false;
  char real[PATH_MAX];
  return !realpath(clean.c_str(), real) || !IsSystemDir(real);
}

EarlierQueue EarlierQueueName(const char* piece, bool fileEnds, bool* lineStart,
                              std::string* name) {
  static const char kDelims[] = " \t#\r\n";
  bool wasStart = *lineStart;
  size_t len = std::strlen(piece);
  *lineStart = len > 0 && piece[len - 1] == '\n';
  if (!wasStart || piece[0] == '#' || piece[0] == '\n') return QUEUE_NONE;
  const char* word = GetToken(piece, kDelims);
  if (word == nullptr) return QUEUE_NONE;
  if (flTokenCut) return QUEUE_CUT;
  // A line longer than one read goes on in the next piece: a word that
  // reaches this piece's end may be only the start of a queue's name.
  if (!*lineStart && !fileEnds) {
    std::string raw(piece, len);
    const char* inPlace = GetTokenParse(raw.data(), kDelims);
    if (inPlace + std::strlen(inPlace) == raw.data() + len) return QUEUE_LONG_LINE;
  }
  name->assign(word);
  return IsPlainFileName(word) ? QUEUE_NAME : QUEUE_REFUSED;
}

// Queue names from the earlier product's printer list, in file order.
static std::vector<std::string> ReadQueueNames(const char* listPath) {
  std::vector<std::string> names;
  if (!OpenInputFile(listPath, 1)) return names;
  bool lineStart = true;
  std::string name;
  while (GetFileLine()) {
    // A piece without its line end is the whole last line only when the
    // read met the end of the file.
    switch (EarlierQueueName(LineBuf, std::feof(pIn) != 0, &lineStart, &name)) {
      case QUEUE_NAME:
        names.push_back(name);
        break;
      case QUEUE_CUT:
        ErrorMsg(1, 0, "%s: queue name longer than 127 characters left alone", listPath);
        break;
      case QUEUE_LONG_LINE:
        ErrorMsg(1, 0, "%s: queue name on a line longer than 510 characters left alone",
                 listPath);
        break;
      case QUEUE_REFUSED:
        ErrorMsg(1, 0, "%s: queue name \"%s\" left alone", listPath, name.c_str());
        break;
      case QUEUE_NONE:
        break;
    }
  }
  CloseInputFile();
  return names;
}

void DelKDLM() {
  if (!FindFile("/usr/bin/ZantoSave", "lp") || !FindFile("/usr/ucb/ZantoSave", "lpr")) return;
  std::string home;
  bool cut = false;
  if (!ReadHome(&home, &cut)) return;
  if (cut || !IsUsableHome(home)) {
    ErrorMsg(1, 0,
             "the earlier product's home \"%s\" (from %s) is not a safe absolute path; "
             "nothing removed or restored",
             home.c_str(), kLp);
    return;
  }

  SysCmd(CMD_RM_RF, SC_WARN, " %s", home.c_str());
  SysCmd(CMD_RM, SC_WARN, " %s %s", kLp, kLpr);
  SysCmd(CMD_CP, SC_FATAL, "/usr/bin/ZantoSave/lp /usr/bin/lp");
  SysCmd(CMD_CP, SC_FATAL, "/usr/ucb/ZantoSave/lpr /usr/ucb/lpr");

  // The directory part of the home as written, whatever its length; a
  // home directly under the root gives "/Zanto_printers".
  std::string parent = home.substr(0, home.rfind('/'));
  std::string listPath = parent + "/Zanto_printers";
  std::string modelDir = parent + "/7315";

  for (const std::string& name : ReadQueueNames(listPath.c_str())) {
    const char* q = name.c_str();
    if (FindFile(kQueueDirs[0], q))
      SysCmd(CMD_RM_RF, SC_WARN, " /var/spool/lp/admins/lp/printers/%s", q);
    if (FindFile(kQueueDirs[1], q))
      SysCmd(CMD_RM_RF, SC_WARN, " /var/spool/lp/admins/lp/interfaces/%s", q);
    if (FindFile(kQueueDirs[2], q)) SysCmd(CMD_RM_RF, SC_WARN, " /var/spool/lp/requests/%s", q);
  }
  SysCmd(CMD_RM, SC_WARN, " %s", listPath.c_str());
  SysCmd(CMD_RM_RF, SC_WARN, " %s", modelDir.c_str());
}
