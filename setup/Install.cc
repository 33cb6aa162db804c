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
#define PKG_KEYWORDS ",mode,bat,owner,group,"

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

void CheckOwnDir(const char* path) {
  struct stat st;
  if (lstat(path, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid())
    ErrorMsg(2, 1, "%s is not a directory of this user (a link, or someone else's)", path);
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

// One line of pkg/pkg.list, taken apart and checked before any of it is
// applied.
struct PkgLine {
  std::string File;
  std::vector<std::string> Words;
  std::vector<char> Cut;
};

// The keyword's place in PKG_KEYWORDS, 0 for any other word. A word
// holding the list's separator would match across entries.
static int PkgKeyword(const std::string& word) {
  if (word.find(',') != std::string::npos) return 0;
  return FindToken(word.c_str(), PKG_KEYWORDS);
}

static const char* PkgLineError(const char* line, PkgLine* out) {
  size_t len = std::strlen(line);
  if (len > 0 && line[len - 1] != '\n') {
    // GetFileLine hands a longer line over in pieces: only the last line
    // of the file may lack its line end.
    int c = std::fgetc(pIn);
    if (c != EOF) {
      std::ungetc(c, pIn);
      return "line too long";
    }
  }
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
    if (out->Words[i + 1][0] == '-') return "value begins with '-'";
  }
  return nullptr;
}

static void InstallPkgFiles() {
  std::string list = std::string(pZantoInstallDir) + "/pkg/pkg.list";
  OpenInputFile(list.c_str(), 2);
  // Counted in lines of the file: a logical line may join several.
  for (int lineNo = 1, next = 1; GetFileLine(); lineNo = next) {
    for (const char* c = LineBuf; (c = std::strchr(c, '\n')); ++c) ++next;
    PkgLine pl;
    if (const char* err = PkgLineError(LineBuf, &pl)) {
      CloseInputFile();
      ErrorMsg(2, 1, "%s, line %i: %s", list.c_str(), lineNo, err);
    }
    if (pl.Words.empty()) continue;
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
  CloseInputFile();
}

int Install(TextMenu*, TextMenuItem*) {
  char* user = GetUserName();
  if (!user || std::strcmp(user, "root") != 0) {
    std::printf("%s is logged in\nYou must become root to run %s\n", user ? user : "unknown",
                my_name);
    std::fflush(stdout);
    PutMem(user);
    flExitTextMenu = 1;
    return 0;
  }
  PutMem(user);

  GenZFile();
  DeleteFile(pZantoInstallDir, PACKAGE_NAME ".tar");
  SysCmd(CMD_UNCOMPRESS, SC_FATAL, "%s/%s.tar.Z", pZantoInstallDir, PACKAGE_NAME);
  ChangeDir(pZantoInstallDir);
  SysCmd(CMD_TAR_EXTRACT, SC_FATAL, "%s/%s.tar", pZantoInstallDir, PACKAGE_NAME);
  DeleteFile(pZantoInstallDir, PACKAGE_NAME ".tar");

  if (!GetDirName(InstallInfo, "/opt", true)) return 0;
  std::snprintf(AppDir, sizeof AppDir, "%s/Zanto/%s", Name, MODEL);

  CreateFile(AppDir, nullptr, "775", nullptr, nullptr);
  // Under a base that others may write to, a planted directory or link
  // would lead root's writes and mode changes elsewhere.
  CheckOwnDir((std::string(Name) + "/Zanto").c_str());
  CheckOwnDir(AppDir);
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

  flExitTextMenu = 1;
  return 0;
}
