#include "tests/support/Scenario.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <vector>

namespace {

const char kVictim[] = "echo secret > /etc/victim && chmod 600 /etc/victim";

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

}  // namespace

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
      {"/etc/rc2.d/SZantoPrintD", "f 0744 root root"},
      {app, "d 0775 root root"},
      {app + "/.PrintError", "f 0666 root root"},
      {app + "/README", "f 0644 root root"},
      {app + "/TavrinD", "f 0755 root root"},
      {app + "/TavrinDStop", "f 0744 root root"},
      {app + "/ZantoPrint7315", "f 4755 root root"},
      {app + "/ZantoPrint7315Tty", "f 4755 root root"},
      {app + "/fonts.dat", "f 0444 bin root"},
      {app + "/setup7315", "f 0755 root root"},
      {app + "/setup7315.ran", "f 0644 root root"},
      {app + "/tavrin", "f 0755 root bin"},
      {app + "/zanto7315", "f 0755 lp lp"},
      {"/usr/bin/tavrin", "f 0755 root root"},
      {"/usr/bin/zanto7315", "f 0755 root root"},
      {"/var/spool/Zanto", "d 0775 root root"},
      {"/var/spool/Zanto/7315", "d 0775 root root"},
  };
  if (!parent.empty()) lines.push_back({parent, "d 0755 root root"});
  std::sort(lines.begin(), lines.end());
  std::string s;
  for (const auto& [path, attrs] : lines) s += "+ " + attrs + " " + path + "\n";
  return s;
}

void RunScenario(const Scenario& a, const std::string& race) {
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
