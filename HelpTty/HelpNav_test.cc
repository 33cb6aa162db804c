// The viewer driven through the menu loop: a scripted operator in a child
// process, whose screens are compared byte for byte.
//
// No test here loads a screen in the test process itself through
// HelpContent or MenuHelp: the children must start as a run that has
// never shown help.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "HelpTty/HelpTesting.h"
#include "SysCmd/SysCmd.h"

namespace {

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/helpnavXXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempDir() { EXPECT_EQ(system(("rm -rf '" + path_ + "'").c_str()), 0); }
  const std::string& path() const { return path_; }
  std::string File(const char* name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A bin directory whose clear prints nothing, first on PATH.
std::string FakeBin(const TempDir& dir) {
  const char* src = getenv("SETUP_SOURCE_DIR");
  std::string shared = std::string(src ? src : "") + "/tests/fakebin";
  if (src && access((shared + "/clear").c_str(), X_OK) == 0) return shared;
  std::string bin = dir.File("bin");
  mkdir(bin.c_str(), 0755);
  WriteAll(bin + "/clear", "#!/bin/sh\nexit 0\n");
  chmod((bin + "/clear").c_str(), 0755);
  return bin;
}

// The test's own menu, from which help is asked for with h.
std::string gNextHelp;  // what item 1 writes as the help file
std::string gHelpPath;

int ChangeHelp(TextMenu*, TextMenuItem*) {
  WriteAll(gHelpPath, gNextHelp);
  return 1;
}

int RemoveHelp(TextMenu*, TextMenuItem*) {
  unlink(gHelpPath.c_str());
  return 1;
}

TextMenuItem OuterItems[] = {
    {"Change help file", TM_ACTION, {nullptr}, nullptr, {0}, {0}, ChangeHelp, 0, nullptr, -1,
     nullptr},
    {"Remove help file", TM_ACTION, {nullptr}, nullptr, {0}, {0}, RemoveHelp, 0, nullptr, -1,
     nullptr},
    {"~q Quit", TM_EXIT, {nullptr}, nullptr, {0}, {0}, nullptr, 0, nullptr, -1, nullptr},
    {nullptr, 0, {nullptr}, nullptr, {0}, {0}, nullptr, 0, nullptr, -1, nullptr},
};
TextMenu Outer = {"Help Test", 1, nullptr, nullptr, nullptr, nullptr, nullptr, OuterItems,
                  TMF_NORETURN | TMF_HELP, 0};

struct ViewerRun {
  std::string out, err;
  int status;
};

// Runs the outer menu with the help file beside the "program" in dir.
ViewerRun Scripted(const TempDir& dir, const std::string& help, const std::string& input) {
  gHelpPath = dir.File("setup.hlp");
  if (!help.empty()) WriteAll(gHelpPath, help);
  WriteAll(dir.File("in"), input);
  std::string bin = FakeBin(dir);
  fflush(stdout);
  fflush(stderr);
  pid_t pid = fork();
  if (pid == 0) {
    int in = open(dir.File("in").c_str(), O_RDONLY);
    int out = open(dir.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(dir.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    clearerr(stdin);
    setenv("PATH", (bin + ":/usr/bin:/bin").c_str(), 1);
    InitSysCmdList();
    pToolPath = strdup(dir.path().c_str());
    RunMenu(&Outer, nullptr, 1);
    fflush(stdout);
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return {ReadAll(dir.File("out")), ReadAll(dir.File("err")),
          WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)};
}

// The title is centred by the width of the title the menu had when it
// started; the help menu keeps that width while its title changes.
std::string TitleBlock(const std::string& title, size_t w) {
  return "\f\n" + std::string(w <= 80 ? (80 - w) / 2 : 0, ' ') + title + "\n\n";
}

const std::string kOuter = TitleBlock("Help Test", 9) + " 1) Change help file \n\n" +
                           " 2) Remove help file \n\n" + " q) Quit \n\n" +
                           "Enter option or h for help: ";

// One help screen: the page, the links three to a row in columns of 26,
// an empty line, the three keys and the prompt.
std::string Help(size_t width, const std::string& title, const std::string& page,
                 const std::vector<std::string>& links = {}) {
  std::string s = TitleBlock(title, width) + page + " \n\n";
  size_t x = 0;
  int number = 0;
  auto cell = [&](const std::string& name) {
    int n = static_cast<int>(name.size());
    if (x + n > 80 || (x > 0 && n > 21)) {
      s += "\n";
      x = 0;
    }
    int pad = 21 - n;
    char buf[256];
    number++;
    if (name[0] == '~')
      snprintf(buf, sizeof buf, " %c) %s%*s ", name[1], name.c_str() + 3, pad + 2, " ");
    else
      snprintf(buf, sizeof buf, "%2i) %s%*s", number, name.c_str(), pad < 0 ? 0 : pad, " ");
    s += buf;
    if (n > 23) {
      s += "\n";
      x = 0;
    } else {
      x += 26;
    }
  };
  for (const std::string& l : links) cell(l);
  s += links.empty() ? "\n" : "\n\n";
  x = 0;
  cell("~e Exit Help");
  cell("~c Contents");
  cell("~b Back");
  return s + "\n\nEnter option: ";
}

const std::string kChain =
    "@screen contents\n@title Contents\nStart here.\n{one|First}\n"
    "@screen one\n@title One\nScreen one, see {two|Second}.\n"
    "@screen two\n@title Two\n{three|Third}\n"
    "@screen three\n@title Three\nLast.\n{#1|Home}\n";

const std::string C = Help(8, "Contents", "Start here.\n", {"First"});
const std::string S1 = Help(8, "One", "Screen one, see <Second>.\n", {"Second"});
const std::string S2 = Help(8, "Two", "", {"Third"});
const std::string S3 = Help(8, "Three", "Last.\n", {"Home"});

TEST(HelpNavigation, LinksBackAndContents) {
  TempDir dir;
  // Three links, then Back four times: the fourth changes nothing.
  ViewerRun r = Scripted(dir, HelpFile(kChain), "h\n1\n1\n1\nb\nb\nb\nb\ne\nq\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kOuter + C + S1 + S2 + S3 + S2 + S1 + C + C + kOuter);

  // Contents after links; the next Back does nothing. An empty line only
  // redraws.
  r = Scripted(dir, "", "h\n1\n1\nc\nb\n\ne\nq\n");
  EXPECT_EQ(r.out, kOuter + C + S1 + S2 + C + C + C + kOuter);

  // A link with value 1 leads to the contents and is a step of its own.
  r = Scripted(dir, "", "h\n1\n1\n1\n1\nb\nb\ne\nq\n");
  EXPECT_EQ(r.out, kOuter + C + S1 + S2 + S3 + C + S3 + S2 + kOuter);
}

TEST(HelpNavigation, NinetyNineForwardSteps) {
  TempDir dir;
  std::string input = "h\n";
  for (int i = 0; i < 100; i++) input += "1\n";
  ViewerRun r = Scripted(dir, HelpFile("@screen a\n@title A\n{b|To B}\n@screen b\n@title B\n{a|To A}\n"),
                   input + "b\ne\nq\n");
  std::string a = Help(1, "A", "", {"To B"}), b = Help(1, "B", "", {"To A"});
  std::string expect = kOuter + a;
  for (int step = 1; step <= 99; step++) expect += step % 2 ? b : a;
  expect += b;  // the 100th link is ignored
  expect += a;  // Back still works
  EXPECT_EQ(r.out, expect + kOuter);
}

TEST(HelpNavigation, LinksToMissingScreensDoNothing) {
  TempDir dir;
  ViewerRun r = Scripted(dir,
                   HelpFile("@screen c\n@title C\n{#0|Zero}\n{#9|Far}\n{d|D}\n"
                            "@screen d\n@title D\n"),
                   "h\n1\n2\nb\n3\nb\ne\nq\n");
  std::string c = Help(1, "C", "", {"Zero", "Far", "D"});
  EXPECT_EQ(r.out, kOuter + c + c + c + c + Help(1, "D", "") + c + kOuter);

  // The same in this process: no history step is taken.
  std::string f = HelpFile("@screen c\n{#0|Zero}\n{#2|Far}\n");
  ASSERT_TRUE(SetHelpData(f.data(), f.size()));
  HistoryI = 0;
  History[0] = 0;
  LoadDisplay();
  ASSERT_EQ(JmpAdrI, 2);
  HelpPickTopic(&HelpMenu, &HelpMenuItems[2]);
  HelpPickTopic(&HelpMenu, &HelpMenuItems[3]);
  EXPECT_EQ(HistoryI, 0);
}

TEST(HelpOpening, ReloadsTheFileEachTime) {
  TempDir dir;
  gNextHelp = HelpFile("@screen new\n@title New Contents\nChanged.\n");
  // Help, a link, leave; change the file; help starts at the new
  // contents. With the file gone, the message is shown and the help menu
  // runs with what it held.
  ViewerRun r = Scripted(dir, HelpFile(kChain), "h\n1\ne\n1\nh\ne\n2\nh\n\ne\nq\n");
  std::string n = Help(12, "New Contents", "Changed.\n");
  EXPECT_EQ(r.out, kOuter + C + S1 + kOuter + kOuter + n + kOuter + kOuter + "ERROR: couldn't open " +
                       dir.File("setup.hlp") + "\nPress <Return> to continue " + n + kOuter);
}

TEST(HelpOpening, MissingFileReturnsToTheAskingMenu) {
  TempDir dir;
  ViewerRun r = Scripted(dir, "", "h\n\nq\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kOuter + "ERROR: couldn't open " + dir.File("setup.hlp") +
                       "\nPress <Return> to continue " + kOuter);

  // A file too long to be a help file is treated the same.
  r = Scripted(dir, std::string(65536, 'x'), "h\n\nq\n");
  EXPECT_EQ(r.out, kOuter + "ERROR: couldn't open " + dir.File("setup.hlp") +
                       "\nPress <Return> to continue " + kOuter);
}

}  // namespace
