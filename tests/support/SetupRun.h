// Whole-program runs of the installer on a throw-away copy of this machine
// (tools/cowhost). The changes of one SetupRun carry over from run to run,
// so a test can plant files, run the installer and look at the result in
// steps. Inside the copy, /h is a scratch directory of the host, left out
// of the change list, holding:
//   /h/bin     the installer, its help file, the stand-ins of tests/fakebin
//              and the simulated drive of tools/floppy; first on PATH
//   /h/floppy  the simulated drive's state (floppyctl init /h/floppy ...)
//   whatever the test puts there: sites, diskette images, planted files.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "utils/TestDir.h"

#define PKG "SolarisTavrin7315"

// Environment changes: a value sets the variable, std::nullopt removes it.
using EnvChanges = std::map<std::string, std::optional<std::string>>;

using RunResult = ChildRun;

// Runs argv (argv[0] looked up along the child's PATH) in RunChild with
// the environment changed by env. Its standard streams are files, so a
// chatty child never blocks on a full pipe; one still running after 60
// seconds gets SIGALRM (status 128 + 14), so a broken test fails instead of
// hanging.
RunResult RunProgram(const std::vector<std::string>& argv, const EnvChanges& env,
                     const std::string& input = "");

// The installer built beside the tests: SETUP_BINARY_DIR/bin/setup.
std::string SetupProgram();

class SetupRun {
 public:
  SetupRun();

  std::string Host(const std::string& rel) const { return (dir_ / "h/" + rel); }
  // Writes /h/<rel>, making its directories.
  void Put(const std::string& rel, const std::string& text, mode_t mode = 0644) const;
  // The list /h/<dir>/disks and a small file for each further name.
  void Files(const std::string& dir, const std::string& disks,
             const std::vector<std::string>& files) const;
  // A site at /h/<dir>: Files(), the installer and the marker (none when
  // nullopt).
  void Site(const std::string& dir, const std::string& disks, const std::vector<std::string>& files,
            const std::optional<std::string>& marker = "installation site") const;
  // The sample package in `pieces` pieces /h/site/pkg_tar.z1... with the
  // installer, its help file and the list; a non-empty pkgList replaces
  // the package's own. tree, a shell script run in /h before packing, may
  // change tree/pkg and set $owner (tar's owner options, root's by
  // default) and $members (what is packed from tree/, "pkg" by default).
  void PackageSite(int pieces = 2, const std::string& pkgList = "",
                   const std::string& disks = "disks setup.hlp pkg_tar.z1\npkg_tar.z2\n",
                   const std::string& tree = "") const;

  // Runs the shell script in the copy (umask 022, from cwd). Its PATH
  // starts with /h/bin, df reports plenty of space, the drive is
  // /h/floppy and the other stand-ins' variables are unset; env changes
  // any of them.
  RunResult Sh(const std::string& script, const std::string& input = "", const EnvChanges& env = {},
               const std::string& cwd = "/") const;
  // The names in a directory of the copy, one a line; "missing" when none.
  std::string Ls(const std::string& dir) const;
  // A file of the copy as the runs left it (files they changed only).
  std::string Inside(const std::string& abs) const { return ReadText(InLayer(abs)); }
  std::string InLayer(const std::string& abs) const { return (dir_ / "layer" + abs); }
  std::string Log() const { return Inside("/tmp/setup.log"); }
  // The change list's lines for paths that begin with prefix.
  std::string Changes(const std::string& prefix = "/") const;

 private:
  TestDir dir_{"setuprun"};
};

// Every whole-program test's fixture: skipped, with the reason, where such
// runs cannot happen (not root, no overlays, a tool missing).
class HostTest : public testing::Test {
 protected:
  void SetUp() override;
};

// The main menu as the installer draws it (the stand-in clear prints
// nothing), up to and including its prompt.
extern const char kMainMenu[];

// One line head + name + tail for each name.
std::string Lines(const std::string& head, const std::vector<std::string>& names,
                  const std::string& tail = "");

// The log's first line.
inline const std::string kLogStart = "/usr/bin/chmod  666 /tmp/setup.log\n";

// Table-driven whole-program scenarios: plant on a fresh copy of the host,
// run the installer (optionally while an attacker races it), and compare
// the exit status, standard error and what changed on the host.

// Runs the rest of a shell line as an unprivileged user (uid 65534).
#define AS_NOBODY "setpriv --reuid=65534 --regid=65534 --clear-groups "

// The change list's lines that the run added to what the planting left,
// without the log and what lies inside the work directory.
std::string RunChanges(const SetupRun& h, const std::string& before);

// What a full installation of the sample package adds, with the driver
// directory app (its parent made too when parent is set).
std::string Installed(const std::string& app, const std::string& parent = "");

struct Scenario {
  const char* name;
  std::string plant;  // shell, as root, after /etc/victim (secret, 0600) is made
  std::string run;    // shell: runs the installer
  std::string input;
  int status;
  std::string err;         // standard error, exactly (a full-match pattern with errPattern)
  std::string changes;     // RunChanges, exactly; with a race, a pattern every line matches
  std::string check = "";  // shell whose output must be checkOut
  std::string checkOut = "";
  // The sample package at /h/site, with this list and tree.sh (PackageSite).
  std::string pkgList = "", tree = "";
  bool diskette = false;  // a diskette with the list, help file and first piece is in the drive
  bool errPattern = false;
};

// Plants, runs (with race, a shell loop of the attacker's, going on
// meanwhile) and checks; /etc/victim must come through untouched.
void RunScenario(const Scenario& s, const std::string& race = "");
