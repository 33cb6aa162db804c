// setup --preview: the run as usual, on a view of the host; the list of
// what it changed there; the host itself untouched.
#include <gmock/gmock.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/SetupRun.h"

namespace {

using Preview = HostTest;

const char kInstall[] = "1\n\ny\n";
const char kEnd[] = "\nNothing was changed on this host.\n";

// The lines of a list, sorted, without blank lines and the run's lock.
std::string Sorted(const std::string& list) {
  std::vector<std::string> lines;
  std::istringstream in(list);
  for (std::string l; std::getline(in, l);)
    if (!l.empty() && l.find(" /run/") == std::string::npos) lines.push_back(l);
  std::sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
    return a.substr(a.find(" /")) < b.substr(b.find(" /"));
  });
  std::string s;
  for (const std::string& l : lines) s += l + "\n";
  return s;
}

// A previewed installation shows the screens of a real one and lists
// exactly what a real one changes; the host keeps what it had.
TEST_F(Preview, ListsWhatARealRunChanges) {
  SetupRun real;
  real.PackageSite();
  RunResult r = real.Sh("/h/site/setup", kInstall);
  ASSERT_EQ(r.status, 0) << r.err;

  SetupRun h;
  h.PackageSite();
  const std::string before = h.Changes();
  RunResult p = h.Sh("/h/site/setup --preview --preview-out /h/list", kInstall);
  EXPECT_EQ(p.status, 0);
  EXPECT_EQ(p.err, "");
  const std::string list = ReadText(h.Host("list"));
  EXPECT_EQ(p.out, r.out + "\nChanges this run made in the preview:\n" + list + kEnd);
  EXPECT_EQ(Sorted(list), real.Changes());
  EXPECT_EQ(h.Changes(), before);
}

TEST_F(Preview, DiskettesRefusalsAndInterrupts) {
  // From a diskette: the help file's copy and the work area are the run's
  // own, listed apart at the end.
  SetupRun d;
  d.Files("d1", "disks setup.hlp pkg_tar.z1\n", {"setup.hlp", "pkg_tar.z1"});
  ASSERT_EQ(d.Sh("floppyctl init /h/floppy --queue /h/d1 && floppyctl sync").status, 0);
  const std::string withDrive = d.Changes();
  RunResult p = d.Sh("/h/bin/setup --preview manual", "e\n");
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_THAT(p.out, testing::HasSubstr("Reading diskette 1\n"));
  EXPECT_THAT(p.out, testing::HasSubstr("\n\n+ f 0600 root root /run/setup-" PKG ".lock\n"
                                        "+ d 0755 root root /tmp/ZantoInstall\n"));
  EXPECT_THAT(p.out, testing::HasSubstr("\n+ f 0644 root root /tmp/setup.hlp\n+ f 0666 root root "
                                        "/tmp/setup.log\n" +
                                        std::string(kEnd)));
  EXPECT_EQ(d.Changes(), withDrive);

  // Not root: refused with the reason, nothing run.
  SetupRun h;
  h.PackageSite();
  const std::string before = h.Changes();
  p = h.Sh(AS_NOBODY "/h/site/setup --preview", "e\n");
  EXPECT_EQ(p.status, 1);
  EXPECT_EQ(p.out, "");
  EXPECT_EQ(p.err, "setup: --preview: cannot make a view of this host: it needs root\n");

  // Ctrl-C at the menu: the run ends as interrupted, the list follows and
  // no scratch directory is left.
  p = h.Sh(
      "mkfifo /h/in; /h/site/setup --preview </h/in >/h/out & pid=$!; exec 3>/h/in; "
      "until grep -qs 'Enter option' /h/out; do :; done; kill -INT $(pgrep -P $pid); "
      "wait $pid; st=$?; ls -d /run/setup-preview.* /tmp/setup-preview.* 2>/dev/null; "
      "tail -n 1 /h/out; exit $st");
  EXPECT_EQ(p.status, 130);
  EXPECT_EQ(p.err, "\nsetup: interrupted\n");
  EXPECT_EQ(p.out, "Nothing was changed on this host.\n");
  EXPECT_EQ(h.Changes(), before);
}

}  // namespace
