// Removal of what the maker's earlier print product left behind: its
// replacement lp and lpr (the system's own are in the save directories),
// its home and model directories, and the lp service entries of its print
// queues.
#include <cstdio>
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

// The home named by the earlier lp, or false when the file is not the
// earlier product's lp.
static bool ReadHome(std::string* home) {
  if (!OpenInputFile(kLp, 1)) return false;
  char head[2000];
  size_t n = std::fread(head, 1, sizeof head, pIn);
  CloseInputFile();
  if (n < 9 || std::memcmp(head, "#!/bin/sh", 9) != 0) return false;
  const char* mark = static_cast<const char*>(memmem(head, n, kMark, sizeof kMark - 1));
  if (mark == nullptr) return false;
  const char* start = mark + sizeof kMark - 1;
  const char* end = start;
  while (end < head + n && *end != '\n' && *end != '\r' && *end != '\0') end++;
  home->assign(start, end);
  return true;
}

// Removing the home and its parent's entries is only safe for an absolute
// path below the root that climbs nowhere.
static bool IsUsableHome(const std::string& home) {
  if (home.empty() || home[0] != '/') return false;
  bool component = false;
  size_t i = 0;
  while (i < home.size()) {
    size_t j = home.find('/', i);
    if (j == std::string::npos) j = home.size();
    std::string part = home.substr(i, j - i);
    if (part == "." || part == "..") return false;
    if (!part.empty()) component = true;
    i = j + 1;
  }
  return component;
}

// Queue names from the earlier product's printer list, in file order.
static std::vector<std::string> ReadQueueNames(const char* listPath) {
  std::vector<std::string> names;
  if (!OpenInputFile(listPath, 1)) return names;
  bool lineStart = true;  // a line longer than one read comes in pieces
  while (GetFileLine()) {
    bool wasStart = lineStart;
    size_t len = std::strlen(LineBuf);
    lineStart = len > 0 && LineBuf[len - 1] == '\n';
    if (!wasStart || LineBuf[0] == '#' || LineBuf[0] == '\n') continue;
    char* name = GetToken(LineBuf, " \t#\r\n");
    if (name == nullptr) continue;
    if (flTokenCut) {
      ErrorMsg(1, 0, "%s: queue name longer than 127 characters left alone", listPath);
      continue;
    }
    if (!IsPlainFileName(name)) {
      ErrorMsg(1, 0, "%s: queue name \"%s\" left alone", listPath, name);
      continue;
    }
    names.emplace_back(name);
  }
  CloseInputFile();
  return names;
}

void DelKDLM() {
  if (!FindFile("/usr/bin/ZantoSave", "lp") || !FindFile("/usr/ucb/ZantoSave", "lpr")) return;
  std::string home;
  if (!ReadHome(&home)) return;
  if (!IsUsableHome(home)) {
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
