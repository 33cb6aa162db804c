// "Install Driver and Utilities" from an installation site, whole program,
// on a throw-away copy of this machine.
#include <algorithm>
#include <cstring>
#include <string>

#include "tests/install_host.h"

namespace {

const std::string App = "/opt/Zanto/7315";

std::string Sorted(std::string lines) {
  std::vector<std::string> v;
  std::istringstream in(lines);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  std::sort(v.begin(), v.end());
  std::string s;
  for (const std::string& l : v) s += l + "\n";
  return s;
}

// The log's command lines from the first one that mentions from on, the
// directory of a table command left out (it depends on the host).
std::string LogCommands(const std::string& log, const std::string& from) {
  static const char* const dirs[] = {"/h8/bin/", "/usr/bin/", "/bin/", "/usr/sbin/", "/sbin/"};
  std::istringstream in(log);
  std::string s;
  bool on = false;
  for (std::string l; std::getline(in, l);) {
    // Command lines only: not the output and not the commands' complaints.
    if (l.empty() || l[0] != '/' || l.substr(0, l.find(' ')).back() == ':') continue;
    if (l.find(from) != std::string::npos) on = true;
    if (!on) continue;
    for (const char* d : dirs)
      if (l.compare(0, std::strlen(d), d) == 0 && l.find('/', std::strlen(d)) > l.find(' ')) {
        l.erase(0, std::strlen(d));
        break;
      }
    s += l + "\n";
  }
  return s;
}

std::string Wrapper(const std::string& app, const std::string& file) {
  return "#! /usr/bin/sh\n\nTavrinFileSourceDir=`pwd`\nexport TavrinFileSourceDir\ncd " + app +
         "\n" + app + "/" + file + " $*\n";
}

std::string RcScript(const std::string& app) {
  return "case $1 in\n'start')\n\techo \"Starting Zanto Print Demon.\"\n\t[ -f " + app +
         "/TavrinD ] && " + app +
         "/TavrinD &\n\t;;\n'stop')\n\techo \"Stoping Zanto Print "
         "Demon.\"\n\t[ -f " +
         app + "/TavrinDStop ] && " + app + "/TavrinDStop\n\t;;\nesac\n";
}

const std::string PromptOpt = "\nPress <Return> or enter the new installation directory [/opt]: ";

TEST(Install, FullInstallFromSite) {
  SKIP_UNLESS_HOST();
  InstallHost h;
  h.MakePackage();
  h.MakeSite();
  HostRun r = h.Run("/h8/site/setup", {}, "1\n\ny\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");

  EXPECT_EQ(Sorted(InstallHost::Changes(r, "/opt") + InstallHost::Changes(r, "/var") +
                   InstallHost::Changes(r, "/usr") + InstallHost::Changes(r, "/etc") +
                   InstallHost::Changes(r, "/tmp")),
            Sorted("+ d 0755 root root /opt/Zanto\n"
                   "+ d 0775 root root /opt/Zanto/7315\n"
                   "+ f 0666 root root /opt/Zanto/7315/.PrintError\n"
                   "+ f 0644 root root /opt/Zanto/7315/README\n"
                   "+ f 0755 root root /opt/Zanto/7315/TavrinD\n"
                   "+ f 0744 root root /opt/Zanto/7315/TavrinDStop\n"
                   "+ f 4755 root root /opt/Zanto/7315/ZantoPrint7315\n"
                   "+ f 4755 root root /opt/Zanto/7315/ZantoPrint7315Tty\n"
                   "+ f 0444 bin root /opt/Zanto/7315/fonts.dat\n"
                   "+ f 0755 root root /opt/Zanto/7315/setup7315\n"
                   "+ f 0644 root root /opt/Zanto/7315/setup7315.ran\n"
                   "+ f 0755 root bin /opt/Zanto/7315/tavrin\n"
                   "+ f 0755 lp lp /opt/Zanto/7315/zanto7315\n"
                   "+ d 0775 root root /var/spool/Zanto\n"
                   "+ d 0775 root root /var/spool/Zanto/7315\n"
                   "+ f 0755 root root /usr/bin/tavrin\n"
                   "+ f 0755 root root /usr/bin/zanto7315\n"
                   "+ f 0744 root root /etc/rc2.d/KZantoPrintD\n"
                   "+ f 0744 root root /etc/rc2.d/SZantoPrintD\n"
                   "+ f 0666 root root /tmp/setup.log\n"))
      << r.out << r.err;

  // The generated texts.
  EXPECT_EQ(h.Inside("/usr/bin/zanto7315"), Wrapper(App, "zanto7315"));
  EXPECT_EQ(h.Inside("/usr/bin/tavrin"), Wrapper(App, "tavrin"));
  const std::string args =
      "\nTavrinPrinter=`/usr/bin/basename $0`\nTavrinRequest_id=$1\nTavrinUser_name=$2\n"
      "TavrinTitle=$3\nTavrinCopies=$4\nTavrinOption_list=$5\n"
      "export \tTavrinPrinter TavrinRequest_id TavrinUser_name TavrinTitle TavrinCopies "
      "TavrinOption_list\n\nshift 5\n\ncd /opt/Zanto/7315\n";
  EXPECT_EQ(h.Inside(App + "/ZantoPrint7315"),
            "#! /usr/bin/sh\n\nTavrinPrinterInterface=\"interface\"\nexport "
            "\tTavrinPrinterInterface\n" +
                args +
                "[ -f /opt/Zanto/7315/zanto7315.log ] && rm -f /opt/Zanto/7315/zanto7315.log\n"
                "\n/opt/Zanto/7315/zanto7315 $* > /opt/Zanto/7315/zanto7315.log "
                "2>/opt/Zanto/7315/zanto7315.log\nexit 0\n");
  EXPECT_EQ(h.Inside(App + "/ZantoPrint7315Tty"),
            "#! /usr/bin/sh\n\n" + args +
                "\nif [ -f settings/$TavrinPrinter ]; then \n/usr/bin/tavrin -d$TavrinPrinter "
                "-ssettings/$TavrinPrinter -n $*\nelse\n\t/usr/bin/tavrin -d$TavrinPrinter -n "
                "$*\nfi\nexit 0\n");
  EXPECT_EQ(h.Inside("/etc/rc2.d/SZantoPrintD"), RcScript(App));
  EXPECT_EQ(h.Inside("/etc/rc2.d/KZantoPrintD"), RcScript(App));

  // The package's set-up program ran once, in the driver directory.
  EXPECT_EQ(h.Inside(App + "/setup7315.ran"), "setup7315 update\ncwd /opt/Zanto/7315\n");
  EXPECT_NE(r.out.find("setup7315: update\n"), std::string::npos) << r.out;

  const std::string w = "/tmp/ZantoInstall";
  EXPECT_EQ(LogCommands(h.Inside("/tmp/setup.log"), "pkg_tar.z1 >>"),
            "cat  " + w + "/pkg_tar.z1 >> " + w +
                "/" PKG
                ".tar.Z\n"
                "cat  " +
                w + "/pkg_tar.z2 >> " + w +
                "/" PKG
                ".tar.Z\n"
                "uncompress  " +
                w +
                "/" PKG
                ".tar.Z\n"
                "tar xvfp " +
                w +
                "/" PKG
                ".tar\n"
                "rm -rf " +
                w +
                "/" PKG
                ".tar\n"
                "mkdir -p /opt/Zanto/7315\n"
                "chmod  775 /opt/Zanto/7315\n"
                "touch  /opt/Zanto/7315/.PrintError\n"
                "chmod  666 /opt/Zanto/7315/.PrintError\n"
                "mkdir -p /var/spool/Zanto\n"
                "chmod  775 /var/spool/Zanto\n"
                "mkdir -p /var/spool/Zanto/7315\n"
                "chmod  775 /var/spool/Zanto/7315\n"
                "cp -p " +
                w +
                "/pkg/setup7315 /opt/Zanto/7315\n"
                "chmod  755 /opt/Zanto/7315/setup7315\n"
                "cp -p " +
                w +
                "/pkg/zanto7315 /opt/Zanto/7315\n"
                "chmod  755 /opt/Zanto/7315/zanto7315\n"
                "chown  lp /opt/Zanto/7315/zanto7315\n"
                "chgrp  lp /opt/Zanto/7315/zanto7315\n"
                "cp -p " +
                w +
                "/pkg/TavrinD /opt/Zanto/7315\n"
                "chmod  755 /opt/Zanto/7315/TavrinD\n"
                "cp -p " +
                w +
                "/pkg/TavrinDStop /opt/Zanto/7315\n"
                "chmod  744 /opt/Zanto/7315/TavrinDStop\n"
                "chown  root /opt/Zanto/7315/TavrinDStop\n"
                "cp -p " +
                w +
                "/pkg/tavrin /opt/Zanto/7315\n"
                "chmod  755 /opt/Zanto/7315/tavrin\n"
                "chgrp  bin /opt/Zanto/7315/tavrin\n"
                "cp -p " +
                w +
                "/pkg/README /opt/Zanto/7315\n"
                "cp -p " +
                w +
                "/pkg/fonts.dat /opt/Zanto/7315\n"
                "chmod  444 /opt/Zanto/7315/fonts.dat\n"
                "chown  bin /opt/Zanto/7315/fonts.dat\n"
                "chmod  4755 /opt/Zanto/7315/ZantoPrint7315\n"
                "chmod  4755 /opt/Zanto/7315/ZantoPrint7315Tty\n"
                "/opt/Zanto/7315/setup7315 update\n"
                "rm -rf /tmp/ZantoInstall\n");

  // The dialogue, then the menu ends at once and the program cleans up.
  EXPECT_NE(r.out.find(PromptOpt + "Do you want to use /opt? [y/n] "), std::string::npos) << r.out;
  EXPECT_EQ(Count(r.out, "Install Print Driver and Utilities"), 1u) << r.out;
  ASSERT_FALSE(r.out.empty());
  EXPECT_EQ(r.out.back(), '\n');
}

TEST(Install, EarlierInstallationAndDeclining) {
  SKIP_UNLESS_HOST();
  InstallHost h;
  h.MakePackage();
  h.MakeSite();
  HostRun r = h.Run("/h8/site/setup", {}, "1\n/usr/local\n\ny\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(h.Inside("/etc/rc2.d/SZantoPrintD"), RcScript("/usr/local/Zanto/7315"));
  EXPECT_EQ(h.Inside("/usr/local/Zanto/7315/setup7315.ran"),
            "setup7315 update\ncwd /usr/local/Zanto/7315\n");

  // The earlier directory is offered; y installs there again.
  const std::string ask = "Do you want to use /usr/local? [y/n] ";
  r = h.Run("/h8/site/setup", {}, "1\ny\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\nExisting installation directory [/usr/local]\n " + ask),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("Press <Return> or enter"), std::string::npos) << r.out;
  EXPECT_EQ(Count(h.Inside("/usr/local/Zanto/7315/setup7315.ran"), "update"), 2u);

  // n twice: the prompt with /usr/local; declining there goes back to the
  // menu; the item again joins the archive afresh and installs.
  r = h.Run("/h8/site/setup", {}, "1\nn\nn\n\nn\n1\ny\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(ask +
                       "\nWarning defining another installation directory will invalidate any "
                       "defined print queues [/usr/local]\n " +
                       ask + "\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(
      r.out.find("\nPress <Return> or enter the new installation directory [/usr/local]: " + ask),
      std::string::npos)
      << r.out;
  EXPECT_EQ(Count(r.out, "Install Print Driver and Utilities"), 2u) << r.out;
  std::string log = LogCommands(h.Inside("/tmp/setup.log"), "pkg_tar.z1 >>");
  EXPECT_EQ(Count(log, "pkg_tar.z1 >> "), 2u) << log;
  EXPECT_EQ(Count(log, "tar xvfp "), 2u) << log;
  EXPECT_EQ(Count(h.Inside("/usr/local/Zanto/7315/setup7315.ran"), "update"), 3u);
  EXPECT_EQ(InstallHost::Changes(r, "/opt"), "");
}

TEST(Install, TypedDirectories) {
  SKIP_UNLESS_HOST();
  InstallHost h;
  h.MakePackage();
  h.MakeSite();
  // "opt" is refused, /export/opt becomes the default, answers other than
  // y or n repeat the question, "/" gives //Zanto/7315.
  HostRun r = h.Run("/h8/site/setup", {}, "1\nopt\nx\n/export/opt\n\nY\n\nn\n1\n/\n\nyes\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(PromptOpt +
                       "This entry must be a full path to the installation directory"
                       "\nPress <Return> to continue " +
                       PromptOpt +
                       "\nPress <Return> or enter the new installation directory [/export/opt]: "
                       "Do you want to use /export/opt? [y/n] "
                       "Do you want to use /export/opt? [y/n] "
                       "Do you want to use /export/opt? [y/n] "),
            std::string::npos)
      << r.out;
  EXPECT_EQ(InstallHost::Changes(r, "/export"), "");
  EXPECT_EQ(h.Inside("/etc/rc2.d/SZantoPrintD"), RcScript("//Zanto/7315"));
  EXPECT_EQ(h.Inside("/usr/bin/tavrin"), Wrapper("//Zanto/7315", "tavrin"));
  EXPECT_NE(InstallHost::Changes(r, "/Zanto/7315/ZantoPrint7315")
                .find("+ f 4755 root root /Zanto/7315/ZantoPrint7315\n"),
            std::string::npos);
}

TEST(Install, DirectoryWithBlanks) {
  SKIP_UNLESS_HOST();
  InstallHost h;
  h.MakePackage();
  h.MakeSite();
  HostRun r = h.Run("/h8/site/setup", {}, "1\n/my dir\n\ny\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(InstallHost::Changes(r, "/my dir/Zanto/7315/ZantoPrint7315Tty")
                .find("+ f 4755 root root /my dir/Zanto/7315/ZantoPrint7315Tty\n"),
            std::string::npos)
      << InstallHost::Changes(r, "/my");
  EXPECT_NE(InstallHost::Changes(r, "/my dir/Zanto/7315/zanto7315")
                .find("+ f 0755 lp lp /my dir/Zanto/7315/zanto7315\n"),
            std::string::npos);
  EXPECT_EQ(h.Inside("/my dir/Zanto/7315/setup7315.ran"),
            "setup7315 update\ncwd /my dir/Zanto/7315\n");
  EXPECT_EQ(h.Inside("/etc/rc2.d/KZantoPrintD"), RcScript("/my dir/Zanto/7315"));
  // Found again by the next installation.
  r = h.Run("/h8/site/setup", {}, "1\ny\n");
  EXPECT_NE(r.out.find("\nExisting installation directory [/my dir]\n "), std::string::npos)
      << r.out;
  EXPECT_EQ(Count(h.Inside("/my dir/Zanto/7315/setup7315.ran"), "update"), 2u);
}

TEST(Install, StartScriptNotWritable) {
  SKIP_UNLESS_HOST();
  InstallHost h;
  h.MakePackage();
  h.MakeSite();
  // A directory where the start script should go.
  ASSERT_EQ(h.Run("/bin/mkdir", {"/etc/rc2.d/SZantoPrintD"}, "").status, 0);
  HostRun r = h.Run("/h8/site/setup", {}, "1\n\ny\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "ERROR: can't open file, /etc/rc2.d/SZantoPrintD\n");
  EXPECT_EQ(h.Inside("/etc/rc2.d/KZantoPrintD"), RcScript(App));
  EXPECT_NE(InstallHost::Changes(r, "/etc").find("+ f 0744 root root /etc/rc2.d/KZantoPrintD\n"),
            std::string::npos)
      << InstallHost::Changes(r, "/etc");
}

TEST(Install, NotRoot) {
  SKIP_UNLESS_HOST();
  InstallHost h;
  h.MakePackage();
  h.MakeSite();
  HostRun r = h.Run("/h8/site/setup", {}, "1\n", {{"FAKE_WHOAMI", "joe"}});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Count(r.out, "joe is logged in\nYou must become root to run setup\n"), 1u) << r.out;
  EXPECT_EQ(Count(r.out, "Install Print Driver and Utilities"), 1u) << r.out;
  // Only the log is left; the work directory is gone.
  for (const std::string& c : r.changes)
    EXPECT_NE(c.find("/tmp/setup.log"), std::string::npos) << c;

  r = h.Run("/h8/site/setup", {}, "1\n", {{"FAKE_WHOAMI", ""}});
  EXPECT_EQ(Count(r.out, "unknown is logged in\nYou must become root to run setup\n"), 1u) << r.out;
}

TEST(Install, Failures) {
  SKIP_UNLESS_HOST();
  {
    // The copy of a missing file ends the program; nothing of its line is
    // applied and nothing after it is written.
    InstallHost h;
    h.MakePackage(2, "README mode 600\nmissing mode 600 bat missing\nTavrinD mode 700\n");
    h.MakeSite();
    HostRun r = h.Run("/h8/site/setup", {}, "1\n\ny\n");
    EXPECT_EQ(r.status, 1) << r.err;
    std::string log = h.Inside("/tmp/setup.log");
    std::string cmds = LogCommands(log, "/pkg/missing");
    EXPECT_EQ(cmds, "cp -p /tmp/ZantoInstall/pkg/missing /opt/Zanto/7315\n") << log;
    EXPECT_NE(log.find("ERROR: "), std::string::npos) << log;
    EXPECT_NE(InstallHost::Changes(r, "/opt/Zanto/7315/README").find("0600"), std::string::npos);
    EXPECT_EQ(InstallHost::Changes(r, "/opt/Zanto/7315/TavrinD"), "");
    EXPECT_EQ(InstallHost::Changes(r, "/opt/Zanto/7315/ZantoPrint"), "");
    EXPECT_EQ(InstallHost::Changes(r, "/usr"), "");
  }
  {
    // A list line that would reach outside the package is refused before
    // anything of it is done; a wrapper name outside /usr/bin is skipped.
    InstallHost h;
    h.MakePackage(2, "README bat ../../etc/evil mode 600\n../pkg.list mode 777\n");
    h.MakeSite();
    HostRun r = h.Run("/h8/site/setup", {}, "1\n\ny\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "ERROR: wrapper name is not a plain file name, /usr/bin/../../etc/evil\n"
              "ERROR: /tmp/ZantoInstall/pkg/pkg.list, line 2: not a plain file name\n");
    EXPECT_NE(InstallHost::Changes(r, "/opt/Zanto/7315/README").find("0600"), std::string::npos);
    EXPECT_EQ(InstallHost::Changes(r, "/etc"), "");
    EXPECT_EQ(InstallHost::Changes(r, "/usr"), "");
    EXPECT_EQ(Count(h.Inside("/tmp/setup.log"), "777"), 0u);
  }
  {
    // Lines up to 510 characters with their line end are taken; a longer
    // one is refused.
    InstallHost h;
    std::string fits = "README" + std::string(510 - 6 - 9, ' ') + "mode 600\n";
    std::string longer = "README" + std::string(511 - 6 - 9, ' ') + "mode 600\n";
    ASSERT_EQ(fits.size(), 510u);
    h.MakePackage(2, "\n" + fits + longer);
    h.MakeSite();
    HostRun r = h.Run("/h8/site/setup", {}, "1\n\ny\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "ERROR: /tmp/ZantoInstall/pkg/pkg.list, line 3: line longer than 510 characters\n");
    EXPECT_EQ(Count(h.Inside("/tmp/setup.log"), "pkg/README "), 1u);
  }
  {
    // Words longer than the tokenizer takes: a cut wrapper name is skipped,
    // a cut owner refuses its line.
    InstallHost h;
    h.MakePackage(2, "README bat " + std::string(130, 'b') + " mode 600\nREADME colour " +
                         std::string(130, 'c') + " owner " + std::string(130, 'o') + "\n");
    h.MakeSite();
    HostRun r = h.Run("/h8/site/setup", {}, "1\n\ny\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR: wrapper name is not a plain file name, /usr/bin/" +
                         std::string(127, 'b') +
                         "\nERROR: /tmp/ZantoInstall/pkg/pkg.list, line 2: value longer than 127 "
                         "characters\n");
    EXPECT_NE(InstallHost::Changes(r, "/opt/Zanto/7315/README").find("0600"), std::string::npos);
    EXPECT_EQ(InstallHost::Changes(r, "/usr"), "");
    EXPECT_EQ(Count(h.Inside("/tmp/setup.log"), "pkg/README "), 1u);
  }
  {
    // A site whose list does not name "disks".
    InstallHost h;
    h.MakePackage();
    h.MakeSite("setup.hlp pkg_tar.z1\npkg_tar.z2\n");
    HostRun r = h.Run("/h8/site/setup", {}, "1\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR: can't open file, ZantoInstall/disks\n");
  }
}

}  // namespace
