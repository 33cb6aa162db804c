// Whole-program runs of the installer for the install, site and diskette
// tests: each run happens on a throw-away copy of this machine
// (tools/cowhost) whose changes carry over from run to run of one
// InstallHost, with the stand-in commands and the simulated diskette
// drive first on PATH. Inside the copy the scratch directory is /h8.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/RunProgram.h"
#include "tests/support/Scratch.h"

#define PKG "SolarisTavrin7315"

struct HostRun {
  int status = -1;
  std::string out, err;
  std::vector<std::string> changes;  // cowhost's preview lines, /h8 left out
};

// How often what occurs in text.
inline size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class InstallHost {
 public:
  InstallHost() : dir_("h8host") {
    // The simulated drive's eject and volcheck replace the plain stand-ins.
    Sh("mkdir -p layer bin site && cp " + Src("tests/fakebin/*") + " bin/ && cp -f " +
       Src("tools/floppy/*") + " bin/ && cp " + SetupProgram() +
       " bin/setup && printf 'help\\n' > bin/setup.hlp");
  }

  // Empty when whole-program runs can happen here, else why not.
  static std::string Unusable() {
    if (geteuid() != 0) return "needs root";
    for (const char* tool : {"compress", "uncompress", "tar", "split"})
      if (std::system((std::string("command -v ") + tool + " >/dev/null").c_str()) != 0)
        return std::string("needs ") + tool;
    RunResult r = RunProgram({{Src("tools/cowhost/cowhost"), "--", "true"}, {}, "", ""});
    if (r.status != 0) return "the copy-on-write host is not available: " + r.err;
    return "";
  }

  static std::string Src(const std::string& rel) {
    return std::string(SETUP_SOURCE_DIR) + "/" + rel;
  }
  std::string Host(const std::string& rel) const { return dir_.Sub(rel); }
  // A file inside the copy as the runs so far left it (only changed files).
  std::string Inside(const std::string& abs) const { return ReadFile(dir_.Sub("layer" + abs)); }

  void Sh(const std::string& cmd) const {
    std::string line = "cd '" + dir_.Path() + "' && set -e && " + cmd;
    ASSERT_EQ(std::system(line.c_str()), 0) << cmd;
  }

  // The sample package as an archive in `pieces` pieces pkg/pkg_tar.z1...,
  // file modes fixed so that the results do not depend on the checkout.
  // A non-empty list replaces the sample's package list.
  void MakePackage(int pieces = 2, const std::string& list = "") {
    if (!list.empty()) WriteFile(dir_.Sub("pkg.list"), list);
    Sh("rm -rf pkg && mkdir -p pkg/tree/pkg && cp " + Src("sample/pkg/*") +
       " pkg/tree/pkg/ && for f in pkg/tree/pkg/*; do if [ -x \"$f\" ]; then chmod 755 \"$f\"; "
       "else chmod 644 \"$f\"; fi; done && echo 'echo \"cwd $(pwd)\" >>\"$dir/setup7315.ran\"' "
       ">> pkg/tree/pkg/setup7315 && (! test -f pkg.list || cp pkg.list pkg/tree/pkg/) && cd pkg "
       "&& tar -C tree --owner=0 --group=0 -cf " PKG ".tar pkg && compress -f " PKG
       ".tar && split -n " +
       std::to_string(pieces) +
       " --numeric-suffixes=1 -a 1 " PKG ".tar.Z pkg_tar.z && rm " PKG ".tar.Z");
  }

  // An installation site at /h8/site: pieces, list, help file, marker and
  // the installer itself.
  void MakeSite(const std::string& disks = "disks setup.hlp pkg_tar.z1\npkg_tar.z2\n") {
    WriteFile(dir_.Sub("site/disks"), disks);
    WriteFile(dir_.Sub("site/installfrom"), "installation site");
    Sh("cp pkg/pkg_tar.z* bin/setup bin/setup.hlp site/");
  }

  // Runs prog (a path inside the copy) with the arguments; env holds extra
  // variables for the run.
  HostRun Run(const std::string& prog, const std::vector<std::string>& args,
              const std::string& input,
              const std::map<std::string, std::optional<std::string>>& env = {},
              const std::string& cwd = "/h8") {
    RunSpec spec;
    spec.argv = {Src("tools/cowhost/cowhost"), "-u", dir_.Sub("layer"), "-p", dir_.Sub("preview"),
                 "-b", dir_.Path() + ":/h8", "-x", "/h8", "-C", cwd, "--",
                 // A fixed umask: the modes of new directories do not
                 // depend on the caller's.
                 "/bin/sh", "-c", "umask 022; exec \"$0\" \"$@\"", prog};
    spec.argv.insert(spec.argv.end(), args.begin(), args.end());
    spec.env = env;  // the caller's values win
    spec.env.emplace("PATH", "/h8/bin:/usr/bin:/bin:/usr/sbin:/sbin");
    spec.env.emplace("FAKE_DF_AVAIL", "1000000");
    spec.env.emplace("FLOPPY_STATE", "/h8/floppy");
    spec.input = input;
    RunResult r = RunProgram(spec);
    HostRun h;
    h.status = r.status;
    h.out = r.out;
    h.err = r.err;
    std::istringstream in(ReadFile(dir_.Sub("preview")));
    for (std::string line; std::getline(in, line);) h.changes.push_back(line);
    return h;
  }

  // The preview lines for paths under prefix.
  static std::string Changes(const HostRun& r, const std::string& prefix) {
    std::string s;
    for (const std::string& line : r.changes) {
      size_t at = line.find(" /");
      if (at != std::string::npos && line.compare(at + 1, prefix.size(), prefix) == 0)
        s += line + "\n";
    }
    return s;
  }

 private:
  ScratchDir dir_;
};

#define SKIP_UNLESS_HOST()                     \
  do {                                         \
    std::string why = InstallHost::Unusable(); \
    if (!why.empty()) GTEST_SKIP() << why;     \
  } while (0)
