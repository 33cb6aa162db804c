// setup: start-up, work area, install source, clean-up.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "SysCmd/SysCmd.h"
#include "setup/setup.h"
#include "utils/utils.h"

// The package and its unpacked contents need this much room.
static const long kMinFreeBytes = 17000000L;

// "/big/" names the same directory as "/big"; listing-based lookups need
// the form without the trailing slash.
static std::string TrimmedDir(const char* dir) {
  std::string copy = dir;
  while (copy.size() > 1 && copy.back() == '/') copy.pop_back();
  return copy;
}

static bool DirExists(const std::string& dir) { return dir == "/" || FindFile(dir.c_str(), ""); }

// Every path of the run is formed from the work directory's name, so one
// that cannot be held whole would be cut into another path.
static bool FitsWorkDir(const std::string& area) {
  return area.size() + sizeof "/ZantoInstall" <= PATH_MAX;
}

[[noreturn]] static void NoWorkArea(const char* typed) {
  std::printf("ERROR: can't locate file, %s\n", typed);
  std::fflush(stdout);
  std::exit(2);
}

// The installer changes into the work area and then names files under it,
// so a relative name would point one level too deep.
static std::string AbsoluteDir(const std::string& dir, const char* typed) {
  if (dir[0] == '/') return dir;
  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr) {
    if (errno == ERANGE) NoWorkArea(typed);
    SysError("can't find the current directory");
  }
  std::string abs = cwd;
  if (abs.back() != '/') abs += '/';
  return abs + dir;
}

// Cleared by "manual": the work area then keeps the package and the
// program's files.
static bool flCleanUp = true;

static void CleanUp() {
  if (chdir(pTmpDir) != 0) SysError("can't change directory to %s", pTmpDir);
  DeleteFile(pTmpDir, "ZantoInstall");
  DeleteFile(pTmpDir, "setup");
  DeleteFile(pTmpDir, "setup.hlp");
  DeleteFile(pTmpDir, PACKAGE_NAME ".tar.Z");
}

// A run that stops after it made the work directory takes its copies
// away as a normal end does; the log stays.
static void TidyAfterFailure() {
  if (flCleanUp && flWorkDirMade) CleanUp();
}

static int RunInstaller(int argc, char** argv) {
  // A caller may start the program without even a name.
  const char* self = argc > 0 && argv[0] != nullptr && argv[0][0] != '\0' ? argv[0] : "setup";
  // What root creates is not for others to write, whatever the caller's mask.
  umask(022);
  CatchInterrupts();
  pLogPath = pTmpDir;
  pToolPath = GetToolPath(self);
  my_name = SaveStr("%s", StripPath(self));
  // Before the log starts or anything is removed: runs share both.
  TakeRunLock();
  InitSysCmdList();

  bool workAreaGiven = false;
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "manual") == 0) {
      flCleanUp = false;
      continue;
    }
    // The first word that is not "manual" names the work area, wherever
    // "manual" stands; later words are ignored.
    if (workAreaGiven) continue;
    workAreaGiven = true;
    std::string area = TrimmedDir(argv[i]);
    if (!FitsWorkDir(area) || !DirExists(area)) NoWorkArea(argv[i]);
    area = AbsoluteDir(area, argv[i]);
    if (!FitsWorkDir(area)) NoWorkArea(argv[i]);
    pTmpDir = SaveStr_(area.c_str());
    pZantoInstallDir = SaveStr("%s/ZantoInstall", pTmpDir);
  }

  // Root removes, creates and copies under the work area from here on.
  RequireSafePath(pTmpDir);

  int64_t freeBytes = 0;
  if (GetDiskSpace(pTmpDir, &freeBytes) && freeBytes < kMinFreeBytes) {
    std::printf(
        "There isn't enough space in %s to perform the installation activities. The temporary "
        "work area should be at least %li bytes. Restart the installation procedure using a "
        "work area that has enough space. \nie: 1. Use /new_work_area_path in place of /tmp\n"
        "    2. Run `setup /new_work_area_path`\n",
        pTmpDir, kMinFreeBytes);
    FatalEnd(1, "");
  }

  DelKDLM();

  pTidyAfterFailure = TidyAfterFailure;
  if (!GetFileContent(pToolPath, "installfrom") || LineBuf[0] == 'd')
    InstallFromDiskette();
  else
    InstallFromSite();

  if (flCleanUp) CleanUp();
  pTidyAfterFailure = nullptr;
  if (InstallWarnings > 0) {
    std::fflush(stdout);
    std::fprintf(stderr, "\nWARNING: %d command%s failed; see %s", InstallWarnings,
                 InstallWarnings == 1 ? "" : "s", LogFileName().c_str());
  }
  std::printf("\n");
  std::fflush(stdout);
  return flRunRefused ? 1 : 0;
}

// The work area the arguments name, as the run will take it (the list of
// changes shows what it keeps there apart).
static std::string WorkAreaOf(int argc, char** argv) {
  for (int i = 1; i < argc; i++)
    if (std::strcmp(argv[i], "manual") != 0) {
      std::string area = TrimmedDir(argv[i]);
      return area.empty() || area[0] == '/' ? area : AbsoluteDir(area, argv[i]);
    }
  return "/tmp";
}

int main(int argc, char** argv) {
  HandleUsageOptions(argc, argv);
  PreviewOptions preview = TakePreviewOptions(&argc, argv);
  if (preview.on)
    return RunPreview(preview, WorkAreaOf(argc, argv), [&] { return RunInstaller(argc, argv); });
  return RunInstaller(argc, argv);
}
