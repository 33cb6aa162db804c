// "Create an installation site.", whole program, and an installation
// started from the site it made.
#include <string>

#include "tests/install_host.h"

namespace {

const std::string SiteFiles = "+ f 0644 root root /opt/" PKG
                              "Install/disks\n"
                              "+ f 0644 root root /opt/" PKG
                              "Install/installfrom\n"
                              "+ f 0644 root root /opt/" PKG
                              "Install/pkg_tar.z1\n"
                              "+ f 0644 root root /opt/" PKG
                              "Install/pkg_tar.z2\n"
                              "+ f 0644 root root /opt/" PKG "Install/setup.hlp\n";

TEST(Site, MadeInOptThenInstalledFrom) {
  SKIP_UNLESS_HOST();
  InstallHost h;
  h.MakePackage();
  h.MakeSite();
  HostRun r = h.Run("/h8/site/setup", {}, "2\n\ny\ne\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(InstallHost::Changes(r, "/opt"),
            "+ d 0755 root root /opt/" PKG "Install\n" + SiteFiles);
  EXPECT_EQ(h.Inside("/opt/" PKG "Install/installfrom"), "installation site");
  EXPECT_EQ(h.Inside("/opt/" PKG "Install/pkg_tar.z2"), ReadFile(h.Host("site/pkg_tar.z2")));
  // The menu is shown again after the site is made.
  EXPECT_EQ(Count(r.out, "Install Print Driver and Utilities"), 2u) << r.out;
  EXPECT_NE(r.out.find("\nPress <Return> or enter the new installation directory [/opt]: "
                       "Do you want to use /opt? [y/n] "),
            std::string::npos)
      << r.out;
  std::string log = h.Inside("/tmp/setup.log");
  // The archive and the installer are not in the work area of a run from
  // a site: only warnings.
  EXPECT_NE(log.find("cp -p " PKG ".tar.Z setup setup.hlp /opt/" PKG "Install\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("cp -p /tmp/ZantoInstall/pkg_tar.z2 /opt/" PKG "Install\n"), std::string::npos)
      << log;

  // Made twice in the same place: the same site.
  std::string before = h.Inside("/opt/" PKG "Install/disks");
  r = h.Run("/h8/site/setup", {}, "2\n\ny\ne\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(InstallHost::Changes(r, "/opt"),
            "+ d 0755 root root /opt/" PKG "Install\n" + SiteFiles);
  EXPECT_EQ(h.Inside("/opt/" PKG "Install/disks"), before);
  EXPECT_EQ(h.Inside("/opt/" PKG "Install/installfrom"), "installation site");

  // The operator puts the installer beside it; a run from there installs.
  h.Sh("cp bin/setup layer/opt/" PKG "Install/setup");
  r = h.Run("/opt/" PKG "Install/setup", {}, "1\n\ny\n", {}, "/");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(h.Inside("/opt/Zanto/7315/setup7315.ran"), "setup7315 update\ncwd /opt/Zanto/7315\n");
  EXPECT_NE(InstallHost::Changes(r, "/opt/Zanto/7315/ZantoPrint7315").find("+ f 4755"),
            std::string::npos);
  EXPECT_NE(log.find("cp -p /tmp/ZantoInstall/pkg_tar.z2 /opt/" PKG "Install\n"),
            std::string::npos);
}

TEST(Site, BaseDirectories) {
  SKIP_UNLESS_HOST();
  InstallHost h;
  h.MakePackage();
  h.MakeSite();
  HostRun r = h.Run("/h8/site/setup", {}, "2\n/\n\ny\n2\n/export/\n\ny\n2\n\nn\ne\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(InstallHost::Changes(r, "/" PKG "Install/installfrom").find("+ f"), std::string::npos)
      << InstallHost::Changes(r, "/");
  EXPECT_EQ(h.Inside("/" PKG "Install/installfrom"), "installation site");
  EXPECT_EQ(h.Inside("/export/" PKG "Install/installfrom"), "installation site");
  std::string log = h.Inside("/tmp/setup.log");
  EXPECT_NE(log.find("mkdir -p /" PKG "Install\n"), std::string::npos) << log;
  EXPECT_NE(log.find("mkdir -p /export//" PKG "Install\n"), std::string::npos) << log;
  // Declined: nothing made in /opt.
  EXPECT_EQ(InstallHost::Changes(r, "/opt"), "");
  EXPECT_EQ(Count(r.out, "Install Print Driver and Utilities"), 4u) << r.out;
}

}  // namespace
