// Removal of the earlier print product at start-up: its lp and lpr give
// way to the saved system commands, its home, model directory, printer
// list and lp service entries go.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/SetupHost.h"

using namespace setup_host;

namespace {

const char kSavedLp[] = "#!/bin/sh\n# the system's lp\n";
const char kSavedLpr[] = "#!/bin/sh\n# the system's lpr\n";

// The earlier product as it was left on a machine: its lp and printer
// list come from the media directory (see Media below).
std::string Plant() {
  return "mkdir -p /usr/bin/ZantoSave /usr/ucb/ZantoSave /opt/old/home/bin /opt/old/7315 "
         "/var/spool/lp/admins/lp/printers /var/spool/lp/admins/lp/interfaces "
         "/var/spool/lp/requests\n"
         "cp /media/savedlp /usr/bin/ZantoSave/lp && chmod 755 /usr/bin/ZantoSave/lp\n"
         "cp /media/savedlpr /usr/ucb/ZantoSave/lpr && chmod 751 /usr/ucb/ZantoSave/lpr\n"
         "cp /media/lp /usr/bin/lp && chmod 700 /usr/bin/lp\n"
         "echo '#!/bin/sh' > /usr/ucb/lpr\n"
         "echo kdlm > /opt/old/home/bin/kdlm && echo model > /opt/old/7315/model\n"
         "cp /media/printers /opt/old/Zanto_printers\n"
         "cd /var/spool/lp && touch admins/lp/printers/q1 admins/lp/printers/old "
         "admins/lp/printers/other admins/lp/interfaces/q1 requests/q2 requests/old "
         "requests/skipped\n";
}

// The site to start from, and the files that Plant() puts in place.
void Media(HostRun& h, const std::string& lp, const std::string& printers) {
  h.Site("site", "disks pkg_tar.z1\n", {"pkg_tar.z1"});
  h.Media("savedlp", kSavedLp);
  h.Media("savedlpr", kSavedLpr);
  h.Media("lp", lp);
  h.Media("printers", printers);
}

const std::vector<std::string> kProbed = {
    "/opt/old",
    "/opt/old/home",
    "/opt/old/7315",
    "/opt/old/Zanto_printers",
    "/usr/bin/ZantoSave/lp",
    "/usr/ucb/ZantoSave/lpr",
};

std::string Probes() {
  return ProbeExists("exists", kProbed) +
         ProbeList("printers", "/var/spool/lp/admins/lp/printers") +
         ProbeList("interfaces", "/var/spool/lp/admins/lp/interfaces") +
         ProbeList("requests", "/var/spool/lp/requests") +
         "cp -p /usr/bin/lp /out/lp; cp -p /usr/ucb/lpr /out/lpr\n";
}

const char kSiteLog[] =
    "/usr/bin/cp -p /media/site/disks /tmp/ZantoInstall\n"
    "/usr/bin/cp -p /media/site/pkg_tar.z1 /tmp/ZantoInstall\n";

struct Earlier {
  HostRun h;
  RunResult r;
  Earlier(const std::string& lp, const std::string& printers) {
    Media(h, lp, printers);
    r = h.Setup(Plant(), "/media/site/setup manual", "e\n", Probes());
  }
  std::string Out(const std::string& name) const { return ReadFile(h.out.Sub(name)); }
  // Nothing of the earlier product was touched.
  void ExpectLeftAlone(const std::string& lp) const {
    EXPECT_EQ(Out("exists"), ExpectedProbe({{kProbed[0], true},
                                            {kProbed[1], true},
                                            {kProbed[2], true},
                                            {kProbed[3], true},
                                            {kProbed[4], true},
                                            {kProbed[5], true}}));
    EXPECT_EQ(Out("lp"), lp);
    EXPECT_EQ(Out("lpr"), "#!/bin/sh\n");
    EXPECT_EQ(Out("printers"), "old\nother\nq1\n");
    EXPECT_EQ(Out("requests"), "old\nq2\nskipped\n");
    EXPECT_EQ(h.Log(), "/usr/bin/chmod  666 /tmp/setup.log\n" + std::string(kSiteLog));
  }
};

TEST(Earlier, RemovesTheEarlierProduct) {
  SKIP_WITHOUT_COWHOST();
  // queue1 with a comment, a comment line, blanks before '#', an empty
  // line, a line of blanks, a name ended by a tab.
  Earlier e(
      "#!/bin/sh\n# earlier print product\nKDLM_HOME=/opt/old/home\nexec \"$KDLM_HOME/bin/kdlm\"\n",
      "q1  # first queue\n#skipped\n  #old\n\n   \nq2\tmore\n");
  EXPECT_EQ(e.r.status, 0);
  EXPECT_EQ(e.r.err, "");
  EXPECT_EQ(e.r.out, std::string(14, '.') + MainMenuScreen() + "\n");
  EXPECT_EQ(e.h.Log(),
            "/usr/bin/chmod  666 /tmp/setup.log\n"
            "/usr/bin/rm -rf  /opt/old/home\n"
            "/usr/bin/rm -f  /usr/bin/lp /usr/ucb/lpr\n"
            "/usr/bin/cp -p /usr/bin/ZantoSave/lp /usr/bin/lp\n"
            "/usr/bin/cp -p /usr/ucb/ZantoSave/lpr /usr/ucb/lpr\n"
            "/usr/bin/rm -rf  /var/spool/lp/admins/lp/printers/q1\n"
            "/usr/bin/rm -rf  /var/spool/lp/admins/lp/interfaces/q1\n"
            "/usr/bin/rm -rf  /var/spool/lp/admins/lp/printers/old\n"
            "/usr/bin/rm -rf  /var/spool/lp/requests/old\n"
            "/usr/bin/rm -rf  /var/spool/lp/requests/q2\n"
            "/usr/bin/rm -f  /opt/old/Zanto_printers\n"
            "/usr/bin/rm -rf  /opt/old/7315\n" +
                std::string(kSiteLog));
  EXPECT_EQ(e.Out("exists"), ExpectedProbe({{kProbed[0], true},
                                            {kProbed[1], false},
                                            {kProbed[2], false},
                                            {kProbed[3], false},
                                            {kProbed[4], true},
                                            {kProbed[5], true}}));
  // The saved commands are back, with their modes; the save directories stay.
  EXPECT_EQ(e.Out("lp"), kSavedLp);
  EXPECT_EQ(e.Out("lpr"), kSavedLpr);
  EXPECT_EQ(FileMode(e.h.out.Sub("lp")), 0755);
  EXPECT_EQ(FileMode(e.h.out.Sub("lpr")), 0751);
  EXPECT_EQ(e.Out("printers"), "other\n");
  EXPECT_EQ(e.Out("interfaces"), "");
  EXPECT_EQ(e.Out("requests"), "skipped\n");
}

TEST(Earlier, LeavesOtherLpCommandsAlone) {
  SKIP_WITHOUT_COWHOST();
  const char* printers = "q1\nold\nq2\n";
  for (std::string lp : {std::string("#!/bin/sh\nexec /usr/lib/lp/real-lp \"$@\"\n"),
                         "#!/bin/sh\n" + std::string(1990, '#') + "\nKDLM_HOME=/opt/old/home\n",
                         std::string("#!/bin/bash\nKDLM_HOME=/opt/old/home\n")}) {
    Earlier e(lp, printers);
    EXPECT_EQ(e.r.status, 0);
    EXPECT_EQ(e.r.err, "");
    e.ExpectLeftAlone(lp);
  }
}

// A home that would make the removal reach the root, or nowhere certain.
TEST(Earlier, RefusesUnsafeHomes) {
  SKIP_WITHOUT_COWHOST();
  for (const char* home : {"/", "", "opt/old/home", "//", "/opt/old/..", "/opt/./x"}) {
    std::string lp = std::string("#!/bin/sh\nKDLM_HOME=") + home + "\n";
    Earlier e(lp, "q1\n");
    EXPECT_EQ(e.r.status, 0) << home;
    std::string shown = std::string(home) == "//" ? "/" : home;
    EXPECT_EQ(e.r.err, "WARNING: the earlier product's home \"" + shown +
                           "\" (from /usr/bin/lp) is not a safe absolute path; nothing removed "
                           "or restored\n")
        << home;
    e.ExpectLeftAlone(lp);
  }
}

// Every queue of a long printer list is handled, the last one too.
TEST(Earlier, LongPrinterList) {
  SKIP_WITHOUT_COWHOST();
  std::string printers;
  for (int i = 1; i <= 1200; i++) {
    char name[16];
    std::snprintf(name, sizeof name, "p%04d\n", i);
    printers += name;
  }
  HostRun h;
  Media(h, "#!/bin/sh\nKDLM_HOME=/opt/old/home\n", printers);
  RunResult r = h.Setup(Plant() + "touch /var/spool/lp/requests/p1200 /var/spool/lp/requests/p0001",
                        "/media/site/setup manual", "e\n", Probes());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(h.out.Sub("requests")), "old\nq2\nskipped\n");
  std::string log = h.Log();
  EXPECT_NE(log.find("/usr/bin/rm -rf  /var/spool/lp/requests/p0001\n"
                     "/usr/bin/rm -rf  /var/spool/lp/requests/p1200\n"),
            std::string::npos)
      << log;
}

// Without the save directories there is nothing to restore: not a word.
TEST(Earlier, NoSaveDirectories) {
  SKIP_WITHOUT_COWHOST();
  HostRun h;
  Media(h, "#!/bin/sh\nKDLM_HOME=/opt/old/home\n", "q1\n");
  RunResult r =
      h.Setup(Plant() + "rm -r /usr/ucb/ZantoSave", "/media/site/setup manual", "e\n", Probes());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(h.Log(), "/usr/bin/chmod  666 /tmp/setup.log\n" + std::string(kSiteLog));
  EXPECT_EQ(ReadFile(h.out.Sub("lp")), "#!/bin/sh\nKDLM_HOME=/opt/old/home\n");
}

}  // namespace
