// The main menu's "Create an installation site.": a directory from which
// later installations start without diskettes.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "SysCmd/SysCmd.h"
#include "setup/setup.h"
#include "utils/utils.h"

static const char* const InstallSiteInfo[] = {
    "This entry must be a full path to the installation directory\n",
    "\fYou must specify an installation directory which will be used",
    "to create the installation site. This utility will create the",
    "install directory if it doesn't already exist.",
    nullptr,
};

int GenInstallSite(TextMenu*, TextMenuItem*) {
  Name[0] = '\0';
  ChangeDir(pTmpDir);
  if (!GetDirName(InstallSiteInfo, "/opt", false)) return 0;

  std::string site =
      std::string(Name) + (std::strcmp(Name, "/") == 0 ? "" : "/") + PACKAGE_NAME "Install";
  // Copying the site onto itself would overwrite the running program.
  struct stat here, there;
  if (pToolPath && stat(pToolPath, &here) == 0 && stat(site.c_str(), &there) == 0 &&
      here.st_dev == there.st_dev && here.st_ino == there.st_ino) {
    PostMsg("%s is the installation site setup was started from", site.c_str());
    return 0;
  }
  DisksLines lines = ReadWorkDisks();
  CheckSources(pTmpDir, {PACKAGE_NAME ".tar.Z", "setup", "setup.hlp"});
  for (const std::vector<std::string>& line : lines) CheckSources(pZantoInstallDir, line);

  CreateFile(site.c_str(), nullptr, "755", nullptr, nullptr);
  SysCmd(CMD_CP, SC_WARN, "%s.tar.Z setup setup.hlp %s", PACKAGE_NAME, site.c_str());
  for (const std::vector<std::string>& line : lines)
    for (const std::string& w : line)
      SysCmd(CMD_CP, SC_FATAL, "%s/%s %s", pZantoInstallDir, w.c_str(), site.c_str());

  // Written last: a site without its marker is not one yet.
  WriteMarker(site.c_str(), "installation site");
  return 0;
}

// The program's own setup or setup.hlp, wherever it was started from.
static bool IsProgramFile(const struct stat& st, const std::string& name) {
  struct stat own;
  if (!pToolPath || (name != "setup" && name != "setup.hlp")) return false;
  std::string path = std::string(pToolPath) + "/" + name;
  return stat(path.c_str(), &own) == 0 && own.st_dev == st.st_dev && own.st_ino == st.st_ino;
}

void CheckSources(const char* dir, const std::vector<std::string>& names) {
  // Where others can write, only this user's own files are this run's.
  bool shared = OthersCanWrite(dir);
  for (const std::string& name : names) {
    std::string path = std::string(dir) + "/" + name;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) continue;  // its copy reports it missing
    if (IsProgramFile(st, name)) continue;
    if (shared ? IsOwnFile(path.c_str()) : S_ISREG(st.st_mode) && st.st_nlink == 1) continue;
    ErrorMsg(2, 1, "%s was not made by this run; nothing copied", path.c_str());
  }
}

void WriteMarker(const char* dir, const char* text) {
  std::string marker = std::string(dir) + "/installfrom";
  pOut = OpenFile(pOut, marker.c_str(), "wt", 1);
  if (pOut) {
    std::fputs(text, pOut);
    if (std::fclose(pOut) != 0)
      std::fprintf(stderr, "ERROR: can't write file, %s\n", marker.c_str());
    pOut = nullptr;
  }
}
