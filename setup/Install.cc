// The main menu's "Install Driver and Utilities": joins and unpacks the
// package archive, asks for the installation directory and installs the
// driver files, wrappers, interface programs and run-level scripts.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "MemMgr/MemMgr.h"
#include "SysCmd/SysCmd.h"
#include "setup/Scripts.h"
#include "setup/setup.h"
#include "utils/utils.h"

#define MODEL "7315"

static const char* const InstallInfo[] = {
    "This entry must be a full path to the installation directory\n",
    "\fYou must specify an installation directory which will be used",
    "to install the Zanto directory along with its support files and",
    "directories. This utility will create the install directory",
    "if it doesn't already exist.",
    nullptr,
};

// Relative paths follow, so going on in the wrong directory would unpack
// or copy in the wrong place.
void ChangeDir(const char* dir) {
  if (chdir(dir) != 0) SysError("can't change directory to %s", dir);
}

DisksLines ReadWorkDisks() {
  std::string path = std::string(pZantoInstallDir) + "/disks";
  if (!GetFileContent(pZantoInstallDir, "disks"))
    ErrorMsg(2, 1, "can't open file, ZantoInstall/disks");
  return LoadDisksList(path.c_str(), false);
}

// The archive's pieces as the list names them: words at spaces and line
// ends (not tabs) that begin with "pkg_tar.", up to the word
// "end_of_list". Taken out before any command runs, since the tokenizer's
// scan is process-wide; a name that is cut or reaches outside the work
// directory is refused, not acted on.
static std::vector<std::string> PieceNames(const char* text) {
  const char* delims = " \n\r";
  std::vector<std::string> names;
  for (char* w = GetToken(text, delims); w; w = GetToken(nullptr, delims)) {
    if (flTokenCut)
      ErrorMsg(2, 1, "the list %s/disks holds a name longer than 127 characters", pZantoInstallDir);
    if (std::strcmp(w, "end_of_list") == 0) break;
    if (std::strncmp(w, "pkg_tar.", 8) != 0) continue;
    if (!IsPlainFileName(w))
      ErrorMsg(2, 1, "the list %s/disks names \"%s\", which is not a plain file name",
               pZantoInstallDir, w);
    names.emplace_back(w);
  }
  return names;
}

void GenZFile() {
  Name[0] = '\0';
  ChangeDir(pTmpDir);
  if (!GetFileContent(pZantoInstallDir, "disks"))
    ErrorMsg(2, 1, "can't open file, ZantoInstall/disks");
  // A cut list would lose its last pieces without a word.
  if (flContentCut) ErrorMsg(2, 1, "the list %s/disks is longer than 4095 bytes", pZantoInstallDir);
  std::vector<std::string> pieces = PieceNames(LineBuf);
  DeleteFile(pZantoInstallDir, PACKAGE_NAME ".tar.Z");
  for (const std::string& piece : pieces)
    SysCmd(CMD_CAT, SC_FATAL, "%s/%s >> %s/%s.tar.Z", pZantoInstallDir, piece.c_str(),
           pZantoInstallDir, PACKAGE_NAME);
}

static void InstallPkgFiles() {
  for (const PkgLine& pl : LoadPkgList()) {
    const char* file = pl.File.c_str();
    SysCmd(CMD_CP, SC_FATAL, "%s/pkg/%s %s", pZantoInstallDir, file, AppDir);
    for (size_t i = 1; i + 1 < pl.Words.size(); i += 2) {
      const char* value = pl.Words[i + 1].c_str();
      switch (PkgKeyword(pl.Words[i])) {
        case 1:
          SysCmd(CMD_CHMOD, SC_FATAL, "%s %s/%s", value, AppDir, file);
          break;
        case 2:
          if (pl.Cut[i + 1])
            std::fprintf(stderr, BAD_WRAPPER_MSG, value);
          else
            GenSimpleScript(file, value);
          break;
        case 3:
          SysCmd(CMD_CHOWN, SC_FATAL, "%s %s/%s", value, AppDir, file);
          break;
        case 4:
          SysCmd(CMD_CHGRP, SC_FATAL, "%s %s/%s", value, AppDir, file);
          break;
        default:
          break;
      }
    }
  }
}

int Install(TextMenu*, TextMenuItem*) {
  char* user = GetUserName();
  if (!user || std::strcmp(user, "root") != 0) {
    std::printf("%s is logged in\nYou must become root to run %s\n", user ? user : "unknown",
                my_name);
    std::fflush(stdout);
    PutMem(user);
    flRunRefused = 1;
    flExitTextMenu = 1;
    return 0;
  }
  PutMem(user);
  const int32_t warningsBefore = SysCmdWarnings;

  GenZFile();
  DeleteFile(pZantoInstallDir, PACKAGE_NAME ".tar");
  SysCmd(CMD_UNCOMPRESS, SC_FATAL, "%s/%s.tar.Z", pZantoInstallDir, PACKAGE_NAME);
  ChangeDir(pZantoInstallDir);
  SysCmd(CMD_TAR_EXTRACT, SC_FATAL, "%s/%s.tar", pZantoInstallDir, PACKAGE_NAME);
  DeleteFile(pZantoInstallDir, PACKAGE_NAME ".tar");
  CheckUnpacked();

  if (!GetDirName(InstallInfo, "/opt", true)) return 0;
  std::snprintf(AppDir, sizeof AppDir, "%s/Zanto/%s", Name, MODEL);

  CreateFile(AppDir, nullptr, "775", nullptr, nullptr);
  CreateFile(AppDir, ".PrintError", "666", nullptr, nullptr);
  CreateFile("/var/spool/Zanto", nullptr, "775", nullptr, nullptr);
  CreateFile("/var/spool/Zanto/" MODEL, nullptr, "775", nullptr, nullptr);

  InstallPkgFiles();

  std::string lp = std::string(AppDir) + "/" INTERFACE_NAME;
  WriteScript(lp.c_str(), 2, InterfaceText, AppDir, nullptr);
  SysCmd(CMD_CHMOD, SC_WARN, "4755 %s/%s", AppDir, INTERFACE_NAME);
  std::string tty = lp + "Tty";
  WriteScript(tty.c_str(), 2, TtyInterfaceText, AppDir, nullptr);
  SysCmd(CMD_CHMOD, SC_WARN, "4755 %s/%sTty", AppDir, INTERFACE_NAME);

  ChangeDir(AppDir);
  SysCmd(CMD_SHELL, SC_WARN, "%s/setup%s update", AppDir, MODEL);
  ChangeDir(pZantoInstallDir);

  // The stop script is written even when the start script could not be.
  WriteScript(START_SCRIPT, 1, RcScriptText, AppDir, nullptr);
  WriteScript(STOP_SCRIPT, 1, RcScriptText, AppDir, nullptr);
  SysCmd(CMD_CHMOD, SC_QUIET, "744 " START_SCRIPT " " STOP_SCRIPT);

  InstallWarnings = SysCmdWarnings - warningsBefore;
  flExitTextMenu = 1;
  return 0;
}
