// "Create an installation site.", and an installation started from the
// site it made.
#include <gmock/gmock.h>

#include <string>

#include "tests/support/SetupRun.h"

namespace {

using testing::HasSubstr;

std::string SiteFiles(const std::string& site) {
  std::string s = "+ d 0755 root root " + site + "\n";
  for (const char* f : {"disks", "installfrom", "pkg_tar.z1", "pkg_tar.z2", "setup.hlp"})
    s += "+ f 0644 root root " + site + "/" + f + "\n";
  return s;
}

TEST(Site, MadeThenInstalledFrom) {
  SKIP_UNLESS_HOST();
  SetupRun h;
  h.PackageSite();
  const std::string site = "/opt/" PKG "Install";
  RunResult r = h.Sh("/h/site/setup", "2\n\ny\ne\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(h.Changes("/opt"), SiteFiles(site));
  EXPECT_EQ(h.Inside(site + "/installfrom"), "installation site");
  EXPECT_EQ(h.Inside(site + "/pkg_tar.z2"), ReadText(h.Host("site/pkg_tar.z2")));
  // The menu is shown again after the site is made.
  EXPECT_EQ(Count(r.out, "Install Print Driver and Utilities"), 2u) << r.out;
  EXPECT_THAT(r.out, HasSubstr("\nPress <Return> or enter the new installation directory [/opt]: "
                               "Do you want to use /opt? [y/n] "));
  // The archive and the installer are not in the work area of a run from
  // a site: only warnings.
  EXPECT_THAT(h.Log(), HasSubstr("cp -p " PKG ".tar.Z setup setup.hlp " + site + "\n"));
  EXPECT_THAT(h.Log(), HasSubstr("cp -p /tmp/ZantoInstall/pkg_tar.z2 " + site + "\n"));

  // Made twice in the same place: the same site.
  const std::string disks = h.Inside(site + "/disks");
  r = h.Sh("/h/site/setup", "2\n\ny\ne\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(h.Changes("/opt"), SiteFiles(site));
  EXPECT_EQ(h.Inside(site + "/disks"), disks);
  EXPECT_EQ(h.Inside(site + "/installfrom"), "installation site");

  // "/" and "/export/" as the base; declined: nothing made.
  r = h.Sh("/h/site/setup", "2\n/\n\ny\n2\n/export/\n\ny\n2\n\nn\ne\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Count(r.out, "Install Print Driver and Utilities"), 4u) << r.out;
  EXPECT_EQ(h.Changes("/" PKG), SiteFiles("/" PKG "Install"));
  EXPECT_EQ(h.Changes("/export/"), SiteFiles("/export/" PKG "Install"));
  EXPECT_THAT(h.Log(), HasSubstr("mkdir -p /" PKG "Install\n"));
  EXPECT_THAT(h.Log(), HasSubstr("mkdir -p /export//" PKG "Install\n"));
  EXPECT_EQ(h.Changes("/opt"), SiteFiles(site));

  // The operator puts the installer beside it; a run from there installs.
  r = h.Sh("cp /h/bin/setup " + site + " && " + site + "/setup", "1\n\ny\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(h.Inside("/opt/Zanto/7315/setup7315.ran"), "setup7315 update\ncwd /opt/Zanto/7315\n");
  EXPECT_EQ(h.Changes("/opt/Zanto/7315/ZantoPrint7315Tty"),
            "+ f 4755 root root /opt/Zanto/7315/ZantoPrint7315Tty\n");
  // Made again from the site itself: refused, the menu comes back.
  r = h.Sh(site + "/setup", "2\n\ny\n\ne\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr(site + " is the installation site setup was started from\n"
                                      "Press <Return> to continue "));
  // The site dialogue does not look for an earlier installation.
  r = h.Sh("/h/site/setup", "2\n\nn\ne\n");
  EXPECT_THAT(r.out,
              HasSubstr("\nPress <Return> or enter the new installation directory [/opt]: "));

}

// Key h of the main menu opens the help file shipped beside the program;
// Exit Help returns to the main menu.
TEST(Site, HelpBesideTheProgram) {
  SKIP_UNLESS_HOST();
  SetupRun h;
  h.PackageSite();
  WriteFile(h.Host("site/setup.hlp"), ReadText(SETUP_BINARY_DIR "/bin/setup.hlp"));
  RunResult r = h.Sh("/h/site/setup", "h\n2\nb\ne\ne\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, testing::HasSubstr("SolarisTavrin7315 Setup Help\n"));
  EXPECT_THAT(r.out, testing::HasSubstr("\n e) Exit Help "));
  EXPECT_EQ(Count(r.out, "Install Print Driver and Utilities\n"), 2u) << r.out;
  EXPECT_EQ(Count(r.out, "SolarisTavrin7315 Setup Help\n"), 2u) << r.out;  // again after Back
}

}  // namespace
