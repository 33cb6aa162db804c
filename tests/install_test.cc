// "Install Driver and Utilities" from an installation site.
#include <gmock/gmock.h>

#include <string>

#include "tests/support/SetupRun.h"

namespace {

using Install = HostTest;

using testing::HasSubstr;

const std::string kAskOpt =
    "\nPress <Return> or enter the new installation directory [/opt]: Do you want to use /opt? "
    "[y/n] ";

TEST_F(Install, FullInstallFromSite) {
  SetupRun h;
  // Only words that begin with pkg_tar. are pieces, and the marker ends
  // its line's names: the archive is pieces 1 and 2 once each.
  h.PackageSite(
      2, "", "disks setup.hlp pkg_tar.z1\r\n\n  xpkg_tar.z1 pkg_tar.z2 end_of_list pkg_tar.z1\n");
  h.Put("site/xpkg_tar.z1", "not a piece\n");
  // A start script without "/Zanto" after its first '/' is no earlier
  // installation: the default is offered at once.
  h.Sh("printf '\\t[ -f /usr/TavrinD ] && /usr/TavrinD &\\n' > /etc/rc2.d/SZantoPrintD");
  RunResult r = h.Sh("/h/site/setup", "1\n\ny\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  // The menu ends after the installation.
  EXPECT_THAT(r.out, HasSubstr(kAskOpt));
  EXPECT_EQ(Count(r.out, "Install Print Driver and Utilities"), 1u) << r.out;
  EXPECT_THAT(r.out, HasSubstr("setup7315: update\n"));
  EXPECT_EQ(h.Changes("/tmp"), "+ f 0666 root root /tmp/setup.log\n");
  EXPECT_EQ(RunChanges(h, ""), Installed("/opt/Zanto/7315", "/opt/Zanto"));

  // Each script for its file (their texts: the unit tests of the scripts).
  const char* scripts[][2] = {
      {"/usr/bin/zanto7315", "\n/opt/Zanto/7315/zanto7315 $*\n"},
      {"/usr/bin/tavrin", "\n/opt/Zanto/7315/tavrin $*\n"},
      {"/opt/Zanto/7315/ZantoPrint7315", "\n/opt/Zanto/7315/zanto7315 $* > /opt/Zanto/7315/"},
      {"/opt/Zanto/7315/ZantoPrint7315Tty", "\ncd /opt/Zanto/7315\n\nif [ -f settings/"},
      {"/etc/rc2.d/SZantoPrintD", " /opt/Zanto/7315/TavrinD &\n"},
      {"/etc/rc2.d/KZantoPrintD", " /opt/Zanto/7315/TavrinD &\n"}};
  for (const auto& [file, part] : scripts) EXPECT_THAT(h.Inside(file), HasSubstr(part)) << file;
  // The package's set-up program ran once, in the driver directory.
  EXPECT_EQ(h.Inside("/opt/Zanto/7315/setup7315.ran"), "setup7315 update\ncwd /opt/Zanto/7315\n");

  const std::string cat = "/usr/bin/cat  /tmp/ZantoInstall/pkg_tar.z", into = " >> /tmp/ZantoInstall/" PKG ".tar.Z\n";
  EXPECT_THAT(h.Log(), HasSubstr(cat + "1" + into + cat + "2" + into + "/usr/bin/uncompress "));
  EXPECT_EQ(Count(h.Log(), cat), 2u);
}

// The directory dialogue over several installations on one machine.
TEST_F(Install, DirectoryDialogue) {
  SetupRun h;
  h.PackageSite();
  // "opt" is refused, /export/opt becomes the default, answers other than
  // y or n repeat the question; declined, the item again joins the archive
  // afresh and installs.
  RunResult r = h.Sh("/h/site/setup", "1\nopt\nx\n/export/opt\n\nY\n\nn\n1\n/usr/local\n\ny\n");
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string ask = "Do you want to use /export/opt? [y/n] ";
  EXPECT_THAT(r.out, HasSubstr("[/opt]: This entry must be a full path to the installation "
                               "directory\nPress <Return> to continue \nPress <Return> or enter "
                               "the new installation directory [/opt]: \nPress <Return> or enter "
                               "the new installation directory [/export/opt]: " +
                               ask + ask + ask + "\f"));
  EXPECT_EQ(Count(h.Log(), "cat  /tmp/ZantoInstall/pkg_tar.z1 >> "), 2u);
  EXPECT_EQ(Count(h.Log(), "tar xvfp "), 2u);
  EXPECT_EQ(h.Changes("/export"), "");
  EXPECT_EQ(h.Changes("/opt"), "");
  EXPECT_THAT(h.Inside("/etc/rc2.d/SZantoPrintD"), HasSubstr(" /usr/local/Zanto/7315/TavrinD &\n"));

  // The earlier directory is offered; y installs there again.
  const std::string local = "Do you want to use /usr/local? [y/n] ";
  r = h.Sh("/h/site/setup", "1\ny\n");
  EXPECT_THAT(r.out, HasSubstr("\nExisting installation directory [/usr/local]\n " + local + "."));
  EXPECT_EQ(h.Inside("/usr/local/Zanto/7315/setup7315.ran"),
            "setup7315 update\ncwd /usr/local/Zanto/7315\n"
            "setup7315 update\ncwd /usr/local/Zanto/7315\n");

  // n twice: the prompt with /usr/local; then a directory with a blank
  // and a quote. (The name's length limit: the dialogue's unit tests.)
  r = h.Sh("/h/site/setup", "1\nn\nn\n/it's dir\n\ny\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr(local +
                               "\nWarning defining another installation directory will invalidate "
                               "any defined print queues [/usr/local]\n " +
                               local +
                               "\nThis entry must be a full path to the installation directory\n\n"
                               "\fYou must specify an installation directory which will be used\n"
                               "to install the Zanto directory along with its support files and\n"
                               "directories. This utility will create the install directory\n"
                               "if it doesn't already exist.\n\nPress <Return> or enter the new "
                               "installation directory [/usr/local]: \nPress <Return> or enter the "
                               "new installation directory [/it's dir]: Do you want to use /it's "
                               "dir? [y/n] ."));
  EXPECT_EQ(h.Changes("/it's dir/Zanto/7315/z"), "+ f 0755 lp lp /it's dir/Zanto/7315/zanto7315\n");
  EXPECT_EQ(h.Inside("/it's dir/Zanto/7315/setup7315.ran"),
            "setup7315 update\ncwd /it's dir/Zanto/7315\n");
  EXPECT_THAT(h.Inside("/etc/rc2.d/KZantoPrintD"), HasSubstr(" '/it'\\''s dir/Zanto/7315'/TavrinD &"));
  // The installed scripts work from there: wrapper, stop script and the lp
  // interface program with its log, run as lp does, under the queue's name.
  r = h.Sh(
      "cd /h && /usr/bin/zanto7315 a 'b c' && sh /etc/rc2.d/KZantoPrintD stop && "
      "cp '/it'\\''s dir/Zanto/7315/ZantoPrint7315' /tmp/q1 && /tmp/q1 7 joe t 1 o f1 && "
      "cat '/it'\\''s dir/Zanto/7315/zanto7315.log'");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "zanto7315: a b c\nTavrinFileSourceDir=/h\nStoping Zanto Print Demon.\nTavrinDStop: \n"
            "zanto7315: f1\nTavrinPrinterInterface=interface\nTavrinPrinter=q1\n"
            "TavrinRequest_id=7\nTavrinUser_name=joe\nTavrinTitle=t\nTavrinCopies=1\n"
            "TavrinOption_list=o\n");

  // Found again; "/" gives //Zanto/7315, and is found as "/".
  r = h.Sh("/h/site/setup", "1\nn\nn\n/\n\ny\n");
  EXPECT_THAT(r.out, HasSubstr("\nExisting installation directory [/it's dir]\n "));
  r = h.Sh("/h/site/setup", "1\nn\nn\n\nn\ne\n");
  EXPECT_THAT(r.out,
              HasSubstr("\nExisting installation directory [/]\n Do you want to use /? [y/n] "));
  EXPECT_THAT(h.Inside("/etc/rc2.d/SZantoPrintD"), HasSubstr(" //Zanto/7315/TavrinD &\n"));
  EXPECT_THAT(h.Inside("/usr/bin/tavrin"), HasSubstr("\ncd //Zanto/7315\n//Zanto/7315/tavrin $*\n"));
  EXPECT_EQ(h.Changes("/Zanto/7315/ZantoPrint7315Tty"),
            "+ f 4755 root root /Zanto/7315/ZantoPrint7315Tty\n");
}

TEST_F(Install, NotRoot) {
  SetupRun h;
  h.PackageSite();
  for (const char* who : {"joe", ""}) {
    RunResult r = h.Sh("/h/site/setup", "1\n", {{"FAKE_WHOAMI", who}});
    EXPECT_EQ(r.status, 1) << r.err;
    const std::string refusal = std::string(*who ? who : "unknown") + " is logged in\n";
    EXPECT_EQ(Count(r.out, refusal + "You must become root to run setup\n"), 1u) << r.out;
    EXPECT_EQ(Count(r.out, "Install Print Driver and Utilities"), 1u) << r.out;
    EXPECT_EQ(h.Changes(), "+ f 0666 root root /tmp/setup.log\n");  // the work directory is gone
  }
}

// A list is checked whole before its first line is applied: nothing of it
// is done when any line is refused. (Each check on its own, and the line
// count over joined lines: the unit tests of the list.)
TEST_F(Install, Failures) {
  const std::string list = "ERROR: /tmp/ZantoInstall/pkg/pkg.list, line ";
  struct Case {
    std::string pkgList, disks, err;
  } cases[] = {
      // A keyword holding ',' is no keyword, though ",mode,bat," is in the
      // list; every named file must be in the package.
      {"README mode,bat 700 mode 600\nmissing mode 600 bat missing\nTavrinD mode 700\n", "",
       list + "2: no such file in the package\n"},
      // Lines up to 510 characters with their end are taken.
      {"\nREADME" + std::string(495, ' ') + "mode 600\nREADME" + std::string(496, ' ') +
           "mode 600\n",
       "", list + "3: line too long\n"},
      // A site whose list does not name "disks".
      {"", "setup.hlp pkg_tar.z1\npkg_tar.z2\n", "ERROR: can't open file, ZantoInstall/disks\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pkgList + c.disks);
    SetupRun h;
    h.PackageSite(2, c.pkgList);
    if (!c.disks.empty()) h.Put("site/disks", c.disks);
    RunResult r = h.Sh("/h/site/setup", "1\n\ny\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(h.Changes("/opt/Zanto/7315/R") + h.Changes("/usr") + h.Changes("/etc"), "");
  }
}

}  // namespace
