// Runs the installer inside a throw-away copy of this machine
// (tools/cowhost), so that what it does to /tmp, /usr/bin, /var/spool and
// /floppy never reaches the real host. Inside the copy:
//   /cow/bin      the build's bin directory (the installer), read-only
//   /cow/fakebin  the test stand-ins (sleep, clear, df, whoami, ...)
//   /cow/floppy   the simulated diskette drive (eject, volcheck), first on PATH
//   /media        a scratch directory for install media, writable
//   /out          a scratch directory that receives the log and probes
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/FakeBin.h"
#include "tests/support/RunProgram.h"
#include "tests/support/Scratch.h"

namespace setup_host {

inline std::string CowHost() { return std::string(SETUP_SOURCE_DIR) + "/tools/cowhost/cowhost"; }

inline const char kInsidePath[] = "/cow/floppy:/cow/fakebin:/usr/sbin:/usr/bin:/sbin:/bin";
inline const int kSkip = 77;

// Whether a copy of the host can be made here (root, mount namespaces,
// overlay); asked once per test program.
inline bool CowHostUsable() {
  static int usable = -1;
  if (usable < 0) {
    RunSpec run;
    run.argv = {CowHost(), "--", "/bin/true"};
    usable = geteuid() == 0 && RunProgram(run).status == 0;
  }
  return usable == 1;
}

#define SKIP_WITHOUT_COWHOST()                                                    \
  do {                                                                            \
    if (!setup_host::CowHostUsable())                                             \
      GTEST_SKIP() << "needs root with mount namespaces and overlayfs (cowhost)"; \
  } while (0)

// One run of a shell script inside a fresh copy of the host.
struct HostRun {
  ScratchDir media{"media"};  // /media inside
  ScratchDir out{"out"};      // /out inside
  std::map<std::string, std::optional<std::string>> env;
  std::string cwd = "/";
  std::vector<std::string> options;  // further cowhost options (binds)

  HostRun() {
    env["PATH"] = kInsidePath;
    env["FAKE_DF_AVAIL"] = "100000";  // plenty: 100 MB
    env["FLOPPY_STATE"] = "/out/floppy";
    env["FLOPPY_ROOT"] = std::nullopt;  // the drive mounts at /floppy/floppy0
    env["FAKE_SLEEP_LOG"] = std::nullopt;
    env["FAKE_CMD_LOG"] = std::nullopt;
  }

  // Writes a file of the media directory (host side), making its parents.
  void Media(const std::string& rel, const std::string& text, mode_t mode = 0644) {
    MakeDirs(std::filesystem::path(media.Sub(rel)).parent_path());
    WriteFile(media.Sub(rel), text, mode);
  }
  // Copies the built installer into the media directory.
  void MediaSetup(const std::string& rel) {
    MakeDirs(std::filesystem::path(media.Sub(rel)).parent_path());
    std::filesystem::copy_file(SetupProgram(), media.Sub(rel),
                               std::filesystem::copy_options::overwrite_existing);
  }

  // An installation site at /media/<dir>: the installer, the marker, the
  // "disks" list and a small file for each further name.
  void Site(const std::string& dir, const std::string& disks, const std::vector<std::string>& files,
            const std::optional<std::string>& installfrom = "installation site") {
    MediaSetup(dir + "/setup");
    Media(dir + "/disks", disks);
    if (installfrom) Media(dir + "/installfrom", *installfrom);
    for (const std::string& f : files) Media(dir + "/" + f, "file " + f + "\n");
  }

  // Runs the script with /bin/sh inside the copy. Its standard input is
  // `input`; its status is cowhost's (the script's own, 77 when the copy
  // could not be made). Afterwards out.Sub("preview") lists the changes.
  RunResult Run(const std::string& script, const std::string& input) {
    RunSpec run;
    // clang-format off
    run.argv = {CowHost(),
                 "-p", out.Sub("preview"),
                 "-r", FakeBinDir() + ":/cow/fakebin",
                 "-r", std::string(SETUP_SOURCE_DIR) + "/tools/floppy:/cow/floppy",
                 "-r", std::filesystem::path(SetupProgram()).parent_path().string() + ":/cow/bin",
                 "-b", media.Path() + ":/media",
                 "-b", out.Path() + ":/out",
                 "-C", cwd};
    // clang-format on
    run.argv.insert(run.argv.end(), options.begin(), options.end());
    run.argv.insert(run.argv.end(), {"--", "/bin/sh", "-c", script});
    run.env = env;
    run.input = input;
    return RunProgram(run);
  }

  // Runs the installer: `before` plants files first, then setup runs
  // with the given command line (program path first); its log is copied
  // to /out/setup.log and `after` may leave probes in /out.
  RunResult Setup(const std::string& before, const std::string& commandLine,
                  const std::string& input, const std::string& after = "") {
    std::string script = "exec 3>&1 4>&2 5<&0 1>/dev/null 2>/dev/null 0</dev/null\n" + before +
                         "\nexec 1>&3 2>&4 0<&5 3>&- 4>&- 5<&-\n" + commandLine +
                         "\nst=$?\n"
                         "exec >/dev/null 2>&1\n"
                         "cp /tmp/setup.log /out/setup.log\n" +
                         after + "\nexit $st\n";
    return Run(script, input);
  }

  std::string Log() const { return ReadFile(out.Sub("setup.log")); }
  bool HasLog() const { return FileExists(out.Sub("setup.log")); }
  std::string Preview() const { return ReadFile(out.Sub("preview")); }
};

// The main menu as the installer draws it (the stand-in clear prints
// nothing), up to and including its prompt.
inline std::string MainMenuScreen() {
  return "\f\n                       Install Print Driver and Utilities\n\n"
         " 1) Install Driver and Utilities \n\n"
         " 2) Create an installation site. \n\n"
         " 3) Create installation diskettes. \n\n"
         " e) Exit \n\n"
         " \n\n"
         "Enter option or h for help: ";
}

// Shell text that puts diskette images (directories under /media) into
// the simulated drive, the first one inserted and mounted.
inline std::string FloppyInit(const std::string& options) {
  return "/cow/floppy/floppyctl init /out/floppy " + options + " && /cow/floppy/floppyctl sync\n";
}

// Shell text that writes, for each path, "path yes" or "path no" to the
// file /out/<name>, so a test can see what existed at the end of the run.
inline std::string ProbeExists(const std::string& name, const std::vector<std::string>& paths) {
  std::string s;
  for (const std::string& p : paths)
    s += "if [ -e '" + p + "' ]; then echo '" + p + " yes'; else echo '" + p + " no'; fi >> /out/" +
         name + "\n";
  return s;
}

// Shell text that writes the sorted names in a directory, one a line, to
// /out/<name> ("missing" when there is no such directory).
inline std::string ProbeList(const std::string& name, const std::string& dir) {
  return "if [ -d '" + dir + "' ]; then LC_ALL=C ls -A '" + dir +
         "'; else echo missing; fi > /out/" + name + "\n";
}

inline std::string ExpectedProbe(const std::vector<std::pair<std::string, bool>>& paths) {
  std::string s;
  for (const auto& [p, yes] : paths) s += p + (yes ? " yes\n" : " no\n");
  return s;
}

}  // namespace setup_host
