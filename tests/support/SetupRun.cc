// Builds the media of whole-program tests and runs the installer under
// tools/cowhost with the stand-in commands.
#include "tests/support/SetupRun.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace {

std::string Src(const std::string& rel) { return std::string(SETUP_SOURCE_DIR) + "/" + rel; }

// The change lister that cowhost calls, from this build.
const char kLister[] = SETUP_BINARY_DIR "/bin/cowlist";

void System(const std::string& cmd) { ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd; }

}  // namespace

const char kMainMenu[] =
    "\f\n                       Install Print Driver and Utilities\n\n"
    " 1) Install Driver and Utilities \n\n"
    " 2) Create an installation site. \n\n"
    " 3) Create installation diskettes. \n\n"
    " e) Exit \n\n"
    " \n\n"
    "Enter option or h for help: ";

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::string Lines(const std::string& head, const std::vector<std::string>& names,
                  const std::string& tail) {
  std::string s;
  for (const std::string& n : names) s += head + n + tail + "\n";
  return s;
}

SetupRun::SetupRun() {
  // The simulated drive's eject and volcheck replace the plain stand-ins.
  System("cd '" + dir_.Path() + "' && mkdir -p layer h/bin && cp " + Src("tests/fakebin/*") +
         " h/bin/ && cp -f " + Src("tools/floppy/*") + " h/bin/ && cp " + SetupProgram() +
         " h/bin/setup && printf 'help\\n' > h/bin/setup.hlp");
}

std::string SetupRun::Unusable() {
  if (geteuid() != 0) return "needs root";
  for (const char* tool : {"compress", "uncompress", "tar", "split"})
    if (std::system((std::string("command -v ") + tool + " >/dev/null").c_str()) != 0)
      return std::string("needs ") + tool;
  RunResult r = RunProgram({{Src("tools/cowhost/cowhost"), "--", "true"}, {{"COWHOST_LIST", kLister}}, "", ""});
  return r.status == 0 ? "" : "the copy-on-write host is not available: " + r.err;
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
  RunRequest req;
  // clang-format off
  req.argv = {Src("tools/cowhost/cowhost"), "-u", dir_.Sub("layer"), "-p", dir_.Sub("preview"),
              "-b", dir_.Sub("h") + ":/h", "-x", "/h", "-x", "/run", "-C", cwd,
              "--", "/bin/sh", "-c", "umask 022\n" + script};
  // clang-format on
  req.env = env;  // the caller's values win
  for (const char* name : {"FLOPPY_ROOT", "FAKE_SLEEP_LOG", "FAKE_CMD_LOG", "FAKE_WHOAMI",
                           "FAKE_DF_LAYOUT", "FAKE_EJECT_STATUS", "FAKE_VOLCHECK_STATUS"})
    req.env.emplace(name, std::nullopt);
  req.env.emplace("PATH", "/h/bin:/usr/sbin:/usr/bin:/sbin:/bin");
  req.env.emplace("FAKE_DF_AVAIL", "100000");
  req.env.emplace("FLOPPY_STATE", "/h/floppy");
  req.env.emplace("COWHOST_LIST", kLister);
  req.input = input;
  return RunProgram(req);
}

std::string SetupRun::Ls(const std::string& dir) const {
  return Sh("if [ -d '" + dir + "' ]; then LC_ALL=C ls -A '" + dir + "'; else echo missing; fi")
      .out;
}

std::string SetupRun::Changes(const std::string& prefix) const {
  std::string s;
  std::istringstream in(ReadFile(dir_.Sub("preview")));
  for (std::string line; std::getline(in, line);)
    if (line.compare(line.find(" /") + 1, prefix.size(), prefix) == 0) s += line + "\n";
  return s;
}
