// Builds the media of whole-program tests and runs the installer under
// tools/cowhost with the stand-in commands.
#include "tests/support/SetupRun.h"

#include <gmock/gmock.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <vector>

namespace {

std::string Src(const std::string& rel) { return std::string(SETUP_SOURCE_DIR) + "/" + rel; }

// The change lister that cowhost calls, from this build.
const char kLister[] = SETUP_BINARY_DIR "/bin/cowlist";

void System(const std::string& cmd) { ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd; }

const char kVictim[] = "echo secret > /etc/victim && chmod 600 /etc/victim";

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

// Why whole-program runs cannot happen here; empty when they can.
std::string Unusable() {
  if (geteuid() != 0) return "needs root";
  for (const char* tool : {"compress", "uncompress", "tar", "split"})
    if (std::system((std::string("command -v ") + tool + " >/dev/null").c_str()) != 0)
      return std::string("needs ") + tool;
  RunResult r = RunProgram({Src("tools/cowhost/cowhost"), "--", "true"}, {{"COWHOST_LIST", kLister}});
  return r.status == 0 ? "" : "the copy-on-write host is not available: " + r.err;
}

}  // namespace

void HostTest::SetUp() {
  static const std::string why = Unusable();
  if (!why.empty()) GTEST_SKIP() << "whole-program runs: " << why;
}

const char kMainMenu[] =
    "\f\n                       Install Print Driver and Utilities\n\n"
    " 1) Install Driver and Utilities \n\n"
    " 2) Create an installation site. \n\n"
    " 3) Create installation diskettes. \n\n"
    " e) Exit \n\n"
    " \n\n"
    "Enter option or h for help: ";

std::string Lines(const std::string& head, const std::vector<std::string>& names,
                  const std::string& tail) {
  std::string s;
  for (const std::string& n : names) s += head + n + tail + "\n";
  return s;
}

SetupRun::SetupRun() {
  // The simulated drive's eject and volcheck replace the plain stand-ins.
  System("cd '" + dir_.path() + "' && mkdir -p layer h/bin && cp " + Src("tests/fakebin/*") +
         " h/bin/ && cp -f " + Src("tools/floppy/*") + " h/bin/ && cp " + SetupProgram() +
         " h/bin/setup && printf 'help\\n' > h/bin/setup.hlp");
}

void SetupRun::Put(const std::string& rel, const std::string& text, mode_t mode) const {
  std::filesystem::create_directories(std::filesystem::path(Host(rel)).parent_path());
  WriteFile(Host(rel), text, mode);
}

void SetupRun::Files(const std::string& dir, const std::string& disks,
                     const std::vector<std::string>& files) const {
  Put(dir + "/disks", disks);
  for (const std::string& f : files) Put(dir + "/" + f, "file " + f + "\n");
}

void SetupRun::Site(const std::string& dir, const std::string& disks,
                    const std::vector<std::string>& files,
                    const std::optional<std::string>& marker) const {
  Files(dir, disks, files);
  if (marker) Put(dir + "/installfrom", *marker);
  std::filesystem::copy_file(SetupProgram(), Host(dir + "/setup"));
}

// The sample package with fixed file modes, so that the results do not
// depend on the checkout; its set-up program also records where it ran.
// tree.sh, when given, changes tree/ and the tar options before packing.
// $1: the source tree, $2: the number of pieces.
const char kPackageScript[] = R"sh(set -e
mkdir -p tree/pkg site
cp "$1"/sample/pkg/* tree/pkg/
for f in tree/pkg/*; do if [ -x "$f" ]; then chmod 755 "$f"; else chmod 644 "$f"; fi; done
echo 'echo "cwd $(pwd)" >>"$dir/setup7315.ran"' >>tree/pkg/setup7315
if [ -f pkg.list ]; then cp pkg.list tree/pkg/; fi
owner="--owner=0 --group=0" members=pkg
if [ -f tree.sh ]; then . ./tree.sh; fi
tar -C tree $owner -cf SolarisTavrin7315.tar $members
compress -f SolarisTavrin7315.tar
split -n "$2" --numeric-suffixes=1 -a 1 SolarisTavrin7315.tar.Z site/pkg_tar.z
rm SolarisTavrin7315.tar.Z
cp bin/setup bin/setup.hlp site/
)sh";

void SetupRun::PackageSite(int pieces, const std::string& pkgList, const std::string& disks,
                           const std::string& tree) const {
  if (!pkgList.empty()) Put("pkg.list", pkgList);
  if (!tree.empty()) Put("tree.sh", tree);
  Put("package.sh", kPackageScript);
  System("cd '" + Host("") + "' && sh package.sh " SETUP_SOURCE_DIR " " + std::to_string(pieces));
  Put("site/disks", disks);
  Put("site/installfrom", "installation site");
}

RunResult SetupRun::Sh(const std::string& script, const std::string& input, const EnvChanges& env,
                       const std::string& cwd) const {
  // clang-format off
  const std::vector<std::string> argv = {Src("tools/cowhost/cowhost"), "-u", dir_ / "layer", "-p", dir_ / "preview",
              "-b", (dir_ / "h") + ":/h", "-x", "/h", "-x", "/run", "-C", cwd,
              "--", "/bin/sh", "-c", "umask 022\n" + script};
  // clang-format on
  EnvChanges all = env;  // the caller's values win
  for (const char* name : {"FLOPPY_ROOT", "FAKE_SLEEP_LOG", "FAKE_WHOAMI"})
    all.emplace(name, std::nullopt);
  all.emplace("PATH", "/h/bin:/usr/sbin:/usr/bin:/sbin:/bin");
  all.emplace("FAKE_DF_AVAIL", "100000");
  all.emplace("FLOPPY_STATE", "/h/floppy");
  all.emplace("COWHOST_LIST", kLister);
  return RunProgram(argv, all, input);
}

std::string SetupRun::Ls(const std::string& dir) const {
  return Sh("if [ -d '" + dir + "' ]; then LC_ALL=C ls -A '" + dir + "'; else echo missing; fi")
      .out;
}

std::string SetupRun::Changes(const std::string& prefix) const {
  std::string s;
  for (const std::string& line : SplitLines(ReadText(dir_ / "preview")))
    if (line.compare(line.find(" /") + 1, prefix.size(), prefix) == 0) s += line + "\n";
  return s;
}

RunResult RunProgram(const std::vector<std::string>& args, const EnvChanges& env,
                     const std::string& input) {
  return RunChild(input, [&] {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // The environment changes come first: execvp looks along the child's PATH.
    for (const auto& [name, value] : env)
      value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    signal(SIGPIPE, SIG_DFL);
    alarm(60);  // survives execvp
    execvp(argv[0], argv.data());
    _exit(127);
  });
}

std::string SetupProgram() { return std::string(SETUP_BINARY_DIR) + "/bin/setup"; }

// Scenarios.
std::string RunChanges(const SetupRun& h, const std::string& before) {
  const std::vector<std::string> old = SplitLines(before);
  const std::set<std::string> had(old.begin(), old.end());
  std::string s;
  for (const std::string& l : SplitLines(h.Changes()))
    if (!had.count(l) && l.find(" /tmp/setup.log") == std::string::npos &&
        l.find(" /tmp/ZantoInstall/") == std::string::npos)
      s += l + "\n";
  return s;
}

std::string Installed(const std::string& app, const std::string& parent) {
  std::vector<std::pair<std::string, std::string>> lines = {
      {"/etc/rc2.d/KZantoPrintD", "f 0744 root root"},
      {"/etc/rc2.d/SZantoPrintD", "f 0744 root root"}, {app, "d 0775 root root"},
      {app + "/.PrintError", "f 0666 root root"}, {app + "/README", "f 0644 root root"},
      {app + "/TavrinD", "f 0755 root root"}, {app + "/TavrinDStop", "f 0744 root root"},
      {app + "/ZantoPrint7315", "f 4755 root root"},
      {app + "/ZantoPrint7315Tty", "f 4755 root root"}, {app + "/fonts.dat", "f 0444 bin root"},
      {app + "/setup7315", "f 0755 root root"}, {app + "/setup7315.ran", "f 0644 root root"},
      {app + "/tavrin", "f 0755 root bin"}, {app + "/zanto7315", "f 0755 lp lp"},
      {"/usr/bin/tavrin", "f 0755 root root"}, {"/usr/bin/zanto7315", "f 0755 root root"},
      {"/var/spool/Zanto", "d 0775 root root"}, {"/var/spool/Zanto/7315", "d 0775 root root"},
  };
  if (!parent.empty()) lines.push_back({parent, "d 0755 root root"});
  std::sort(lines.begin(), lines.end());
  std::string s;
  for (const auto& [path, attrs] : lines) s += "+ " + attrs + " " + path + "\n";
  return s;
}

void RunScenario(const Scenario& a, const std::string& race) {
  SCOPED_TRACE(a.name);
  SetupRun h;
  h.PackageSite(2, a.pkgList, "disks setup.hlp pkg_tar.z1\npkg_tar.z2\n", a.tree);
  if (a.diskette) {
    h.Files("d1", "disks setup.hlp pkg_tar.z1\n", {"setup.hlp", "pkg_tar.z1"});
    ASSERT_EQ(h.Sh("floppyctl init /h/floppy --queue /h/d1 && floppyctl sync").status, 0);
  }
  ASSERT_EQ(h.Sh(std::string(kVictim) + "\n" + a.plant).status, 0);
  const std::string before = h.Changes();
  std::string script = a.run;
  if (!race.empty())
    script = AS_NOBODY "sh -c '" + race + "' </dev/null >/dev/null 2>&1 &\nracer=$!\n" + a.run +
             "\nst=$?\nkill $racer; wait $racer 2>/dev/null\nexit $st";
  RunResult r = h.Sh(script, a.input);
  EXPECT_EQ(h.Sh("stat -c %a:%U /etc/victim && cat /etc/victim").out, "600:root\nsecret\n");
  if (!race.empty()) {
    // A race may go either way; what it may never do is reach the victim
    // or anything outside what a safe run touches.
    for (const std::string& l : SplitLines(RunChanges(h, before))) {
      EXPECT_THAT(l, testing::ContainsRegex(a.changes)) << r.err;
    }
    return;
  }
  EXPECT_EQ(r.status, a.status);
  if (a.errPattern)
    EXPECT_THAT(r.err, testing::MatchesRegex(a.err));
  else
    EXPECT_EQ(r.err, a.err);
  EXPECT_EQ(RunChanges(h, before), a.changes);
  if (!a.check.empty()) {
    EXPECT_EQ(h.Sh(a.check).out, a.checkOut);
  }
}
