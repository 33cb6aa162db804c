// The directory dialogue, run in a child with scripted standard input.
// The start script of an earlier installation is put in place in a
// private mount namespace, so the host's /etc/rc2.d is never touched.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "setup/setup.h"
#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

const char* const Info[] = {"first line\n", "\fsecond", nullptr};
const std::string InfoShown = "\nfirst line\n\n\fsecond\n";
const std::string Prompt = "\nPress <Return> or enter the new installation directory [";

struct Dialog {
  int status = -1;  // GetDirName's result, or the exit status of an end
  std::string name, out, err;
};

// rcLine: the text of /etc/rc2.d/SZantoPrintD, or null for none.
Dialog RunDialog(const std::string& input, const char* rcLine, bool look = true,
                 const char* def = "/opt") {
  TestDir t;
  t.Write("in", input);
  std::filesystem::create_directories(t / "rc");
  if (rcLine) t.Write("rc/SZantoPrintD", rcLine);
  Dialog d;
  pid_t pid = fork();
  if (pid == 0) {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr))
      _exit(90);
    if (mount((t / "rc").c_str(), "/etc/rc2.d", nullptr, MS_BIND, nullptr) != 0) _exit(91);
    if (!freopen((t / "in").c_str(), "r", stdin) || !freopen((t / "out").c_str(), "w", stdout) ||
        !freopen((t / "err").c_str(), "w", stderr))
      _exit(92);
    my_name = const_cast<char*>("setup");
    int r = GetDirName(Info, def, look);
    std::fflush(stdout);
    FILE* f = std::fopen((t / "name").c_str(), "w");
    std::fputs(Name, f);
    std::fclose(f);
    _exit(r);
  }
  int st = 0;
  waitpid(pid, &st, 0);
  d.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  d.name = ReadText(t / "name");
  d.out = ReadText(t / "out");
  d.err = ReadText(t / "err");
  return d;
}

bool CanIsolate() {
  Dialog d = RunDialog("\ny\n", nullptr);
  return d.status != 90 && d.status != 91;
}

TEST(GetDirName, DefaultAndTypedDirectories) {
  if (!CanIsolate()) GTEST_SKIP() << "needs root and mount namespaces";
  // No earlier installation: the default at once.
  Dialog d = RunDialog("\ny\n", nullptr);
  EXPECT_EQ(d.status, 1);
  EXPECT_EQ(d.name, "/opt");
  EXPECT_EQ(d.out, InfoShown + Prompt + "/opt]: Do you want to use /opt? [y/n] ");

  // A relative entry is refused and the line after it discarded; a full
  // path becomes the default; only an empty line and "y" take it.
  d = RunDialog("opt\nignored\n/export/opt\n\nmaybe\nn\n", nullptr);
  EXPECT_EQ(d.status, 0);
  EXPECT_EQ(d.name, "/export/opt");
  EXPECT_EQ(d.out, InfoShown + Prompt + "/opt]: " +
                       "This entry must be a full path to the installation directory"
                       "\nPress <Return> to continue " +
                       Prompt + "/opt]: " + Prompt +
                       "/export/opt]: Do you want to use /export/opt? [y/n] "
                       "Do you want to use /export/opt? [y/n] ");

  // 255 characters fit; 256 are refused, never cut.
  std::string fits = "/" + std::string(254, 'a');
  std::string longer = "/" + std::string(255, 'b');
  d = RunDialog(longer + "\n\n" + fits + "\n\ny\n", nullptr);
  EXPECT_EQ(d.status, 1);
  EXPECT_EQ(d.name, fits);
  EXPECT_EQ(d.out.find("bbb]"), std::string::npos);

  // "/" is taken as it is.
  d = RunDialog("/\n\ny\n", nullptr);
  EXPECT_EQ(d.name, "/");
  EXPECT_EQ(d.status, 1);

  // End of input ends the program.
  d = RunDialog("/x\n", nullptr);
  EXPECT_EQ(d.status, 1);
  EXPECT_NE(d.err.find("reading from standard input"), std::string::npos) << d.err;
}

TEST(GetDirName, EarlierInstallation) {
  if (!CanIsolate()) GTEST_SKIP() << "needs root and mount namespaces";
  const char* rc =
      "case $1 in\n'start')\n\techo \"Starting Zanto Print Demon.\"\n"
      "\t[ -f /usr/local/Zanto/7315/TavrinD ] && /usr/local/Zanto/7315/TavrinD &\n\t;;";
  const std::string ask = "Do you want to use /usr/local? [y/n] ";
  Dialog d = RunDialog("y\n", rc);
  EXPECT_EQ(d.status, 1);
  EXPECT_EQ(d.name, "/usr/local");
  EXPECT_EQ(d.out, "\nExisting installation directory [/usr/local]\n " + ask);

  // Two refusals lead to the prompt with the earlier directory.
  d = RunDialog("n\nn\n\ny\n", rc);
  EXPECT_EQ(d.status, 1);
  EXPECT_EQ(d.name, "/usr/local");
  EXPECT_EQ(d.out, "\nExisting installation directory [/usr/local]\n " + ask +
                       "\nWarning defining another installation directory will invalidate any "
                       "defined print queues [/usr/local]\n " +
                       ask + InfoShown + Prompt + "/usr/local]: " + ask);
  d = RunDialog("n\ny\n", rc);
  EXPECT_EQ(d.status, 1);
  EXPECT_EQ(d.name, "/usr/local");

  // The site dialogue does not look.
  d = RunDialog("\ny\n", rc, false);
  EXPECT_EQ(d.name, "/opt");

  // An installation into "/" is found as "/".
  d = RunDialog("y\n", "\t[ -f //Zanto/7315/TavrinD ] && //Zanto/7315/TavrinD &\n");
  EXPECT_EQ(d.name, "/");
  EXPECT_EQ(d.status, 1);

  // A line without "/Zanto" after its first '/' is no earlier installation.
  d = RunDialog("\ny\n", "\t[ -f /usr/TavrinD ] && /usr/TavrinD &\n");
  EXPECT_EQ(d.name, "/opt");
  EXPECT_EQ(d.out, InfoShown + Prompt + "/opt]: Do you want to use /opt? [y/n] ");
}

}  // namespace
