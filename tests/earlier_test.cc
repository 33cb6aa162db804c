// Removal of the earlier print product at start-up: its lp and lpr give
// way to the saved system commands, its home, model directory, printer
// list and lp service entries go.
#include <string>
#include <vector>

#include "tests/support/SetupRun.h"

namespace {

using Earlier = HostTest;

const char kSavedLp[] = "#!/bin/sh\n# the system's lp\n";
const char kSavedLpr[] = "#!/bin/sh\n# the system's lpr\n";
const char kMarkedLp[] = "#!/bin/sh\nKDLM_HOME=/opt/old/home\nexec \"$KDLM_HOME/bin/kdlm\"\n";
const std::string kSiteCopies =
    Lines("/usr/bin/cp -p /h/site/", {"disks", "pkg_tar.z1"}, " /tmp/ZantoInstall");

// The log's start when the earlier product at home is removed.
std::string RestoreLog(const std::string& home) {
  return kLogStart + "/usr/bin/rm -rf  " + home +
         "\n/usr/bin/rm -f  /usr/bin/lp /usr/ucb/lpr\n"
         "/usr/bin/cp -p /usr/bin/ZantoSave/lp /usr/bin/lp\n"
         "/usr/bin/cp -p /usr/ucb/ZantoSave/lpr /usr/ucb/lpr\n";
}

// Writes to /h/<file> what is left of the earlier product, the saved
// commands and the lp service's entries.
std::string ShowLeft(const std::string& file) {
  return "\ncd /var/spool/lp && LC_ALL=C ls -A /opt/old /usr/bin/ZantoSave /usr/ucb/ZantoSave "
         "admins/lp/printers admins/lp/interfaces requests > /h/" +
         file + " 2>&1\n";
}

// The earlier product as it was left on a machine (/h/before shows it),
// then the installer run from a site (/h/after shows what is left).
RunResult PlantAndRun(SetupRun& h, const std::string& lp, const std::string& printers,
                      const std::string& more = "") {
  h.Site("site", "disks pkg_tar.z1\n", {"pkg_tar.z1"});
  h.Put("savedlp", kSavedLp, 0755);
  h.Put("savedlpr", kSavedLpr, 0751);
  h.Put("lp", lp, 0700);
  h.Put("printers", printers);
  h.Sh(
      "mkdir -p /usr/bin/ZantoSave /usr/ucb/ZantoSave /opt/old/home/bin /opt/old/7315 "
      "/var/spool/lp/admins/lp/printers /var/spool/lp/admins/lp/interfaces "
      "/var/spool/lp/requests && cd /h && cp -p savedlp /usr/bin/ZantoSave/lp && "
      "cp -p savedlpr /usr/ucb/ZantoSave/lpr && cp -p lp /usr/bin/lp && "
      "echo '#!/bin/sh' > /usr/ucb/lpr && echo kdlm > /opt/old/home/bin/kdlm && "
      "echo model > /opt/old/7315/model && cp printers /opt/old/Zanto_printers && "
      "cd /var/spool/lp && touch admins/lp/printers/q1 admins/lp/printers/old "
      "admins/lp/printers/other admins/lp/interfaces/q1 requests/q2 requests/old "
      "requests/skipped\n" +
      more + ShowLeft("before"));
  return h.Sh("/h/site/setup manual; st=$?" + ShowLeft("after") + "exit $st", "e\n");
}

TEST_F(Earlier, RemovesTheEarlierProduct) {
  // q1 with a comment, a comment line, blanks before '#', an empty line, a
  // line of blanks, a name ended by a tab; then a long list whose last
  // queue is handled too.
  std::string printers = "q1  # first queue\n#skipped\n  #old\n\n   \nq2\tmore\n";
  // p0001 to p1200
  for (int i = 10001; i <= 11200; i++) printers += "p" + std::to_string(i).substr(1) + "\n";
  SetupRun h;
  RunResult r = PlantAndRun(h, kMarkedLp, printers,
                            "touch /var/spool/lp/requests/p1200 /var/spool/lp/requests/p0001");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, std::string(16, '.') + kMainMenu + "\n");
  EXPECT_EQ(h.Log(),
            RestoreLog("/opt/old/home") +
                Lines("/usr/bin/rm -rf  /var/spool/lp/",
                      {"admins/lp/printers/q1", "admins/lp/interfaces/q1", "admins/lp/printers/old",
                       "requests/old", "requests/q2", "requests/p0001", "requests/p1200"}) +
                "/usr/bin/rm -f  /opt/old/Zanto_printers\n"
                "/usr/bin/rm -rf  /opt/old/7315\n" +
                kSiteCopies);
  // The saved commands are back with their modes; the save directories stay.
  EXPECT_EQ(h.Inside("/usr/bin/lp"), kSavedLp);
  EXPECT_EQ(h.Inside("/usr/ucb/lpr"), kSavedLpr);
  EXPECT_EQ(FileMode(h.InLayer("/usr/bin/lp")), 0755);
  EXPECT_EQ(FileMode(h.InLayer("/usr/ucb/lpr")), 0751);
  EXPECT_EQ(ReadText(h.Host("after")),
            "/opt/old:\n\n/usr/bin/ZantoSave:\nlp\n\n/usr/ucb/ZantoSave:\nlpr\n\n"
            "admins/lp/interfaces:\n\nadmins/lp/printers:\nother\n\nrequests:\nskipped\n");
}

// The printer list and model directory are beside the home as written:
// a trailing slash makes the home itself their directory, and a long
// home is not cut into another, existing directory.
TEST_F(Earlier, PathsBesideTheHome) {
  const std::string longDir = "/opt/old/" + std::string(250, 'x');
  const std::string cutDir = longDir.substr(0, 255);
  const struct {
    std::string home, dir, err, queues;
  } cases[] = {
      {"/opt/old/home/", "/opt/old/home",
       "WARNING: can't open file, /opt/old/home/Zanto_printers\n", ""},
      {longDir + "/home", longDir, "",
       Lines("/usr/bin/rm -rf  /var/spool/lp/admins/lp/", {"printers/q1", "interfaces/q1"})},
      // Below a system directory is not the system's.
      {"/usr/local/KDLM", "/usr/local", "",
       Lines("/usr/bin/rm -rf  /var/spool/lp/admins/lp/", {"printers/q1", "interfaces/q1"})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.home);
    SetupRun h;
    RunResult r = PlantAndRun(h, "#!/bin/sh\nKDLM_HOME=" + c.home + "\n", "q1\n",
                              "mkdir -p " + c.home + " " + c.dir + "/7315 " + cutDir +
                                  "/7315 && cp /opt/old/Zanto_printers " + c.dir + "/");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(h.Log(), RestoreLog(c.home) + c.queues + "/usr/bin/rm -f  " + c.dir +
                           "/Zanto_printers\n/usr/bin/rm -rf  " + c.dir + "/7315\n" + kSiteCopies);
    // What is beside the home's own directory stays.
    EXPECT_EQ(h.Ls(c.home), "missing\n");
    EXPECT_EQ(h.Ls("/opt/old/7315"), "model\n");
    EXPECT_EQ(h.Ls(cutDir), "7315\n");
  }
}

// Other lp commands, unsafe homes (the removal would reach the root, or
// nowhere certain) and a missing save directory: nothing is touched.
TEST_F(Earlier, LeavesOtherProductsAlone) {
  const std::string warn = "WARNING: the earlier product's home \"";
  const std::string unsafe =
      "\" (from /usr/bin/lp) is not a safe absolute path; nothing removed "
      "or restored\n";
  struct Case {
    std::string lp, more, err;
  };
  std::vector<Case> cases = {
      {"#!/bin/sh\nexec /usr/lib/lp/real-lp \"$@\"\n", "", ""},
      {"#!/bin/sh\n" + std::string(1990, '#') + "\nKDLM_HOME=/opt/old/home\n", "", ""},
      {"#!/bin/bash\nKDLM_HOME=/opt/old/home\n", "", ""},
      {kMarkedLp, "rm -r /usr/ucb/ZantoSave", ""},
  };
  // A system directory, one holding one, one reached through a link, a
  // relative path (the unit tests hold the rest of the list).
  for (const char* home : {"/", "/usr", "//usr//local/", "/opt/share", "opt/old/home"})
    cases.push_back({std::string("#!/bin/sh\nKDLM_HOME=") + home + "\n",
                     "ln -s /usr/share /opt/share", warn + home + unsafe});
  // A home line cut at the 2000 bytes read would name /opt.
  cases.push_back({"#!/bin/sh\n" + std::string(1975, '#') + "\nKDLM_HOME=/opt/KDLM\n", "",
                   warn + "/opt" + unsafe});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lp + c.more);
    SetupRun h;
    RunResult r = PlantAndRun(h, c.lp, "q1\nold\nq2\n", c.more);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(h.Log(), kLogStart + kSiteCopies);
    EXPECT_EQ(h.Inside("/usr/bin/lp"), c.lp);
    EXPECT_EQ(h.Inside("/usr/ucb/lpr"), "#!/bin/sh\n");
    EXPECT_EQ(ReadText(h.Host("after")), ReadText(h.Host("before")));
  }
}

}  // namespace
