// The viewer driven through the menu loop: a scripted operator in a child
// process, whose screens are compared byte for byte.  No test here shows
// help in the test process itself: each child starts as a run that has
// never shown help.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "HelpTty/HelpTesting.h"
#include "HelpTty/HelpTty.h"
#include "SysCmd/SysCmd.h"

namespace {

std::string gNextHelp;  // what item 1 writes as the help file
std::string gHelpPath;

// The test's own menu, from which help is asked for with h.
int ChangeHelp(TextMenu*, TextMenuItem*) { return std::ofstream(gHelpPath) << gNextHelp, 1; }
int RemoveHelp(TextMenu*, TextMenuItem*) { return unlink(gHelpPath.c_str()), 1; }
TextMenuItem OuterItems[] = {
    {.pName = "Change help file", .Kind = TM_ACTION, .Handler = ChangeHelp, .SavedValue = -1},
    {.pName = "Remove help file", .Kind = TM_ACTION, .Handler = RemoveHelp, .SavedValue = -1},
    {.pName = "~q Quit", .Kind = TM_EXIT, .SavedValue = -1},
    {.pName = nullptr, .SavedValue = -1}};
TextMenu Outer = {
    .pTitle = "Help Test", .TitleStyle = 1, .pItems = OuterItems, .Flags = TMF_NORETURN | TMF_HELP};

// Runs the outer menu on the input, with the help file beside the
// "program" in dir and a clear that prints nothing; returns its output.
std::string Scripted(const TestDir& dir, const std::string& help, const std::string& input) {
  gHelpPath = dir / "setup.hlp";
  if (!help.empty()) dir.Write("setup.hlp", help);
  dir.Write("in", input);
  chmod(dir.Write("clear", "#!/bin/sh\n").c_str(), 0755);
  fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(open((dir / "in").c_str(), O_RDONLY), 0);
    dup2(open((dir / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    pToolPath = strdup(dir.path().c_str());
    ComList[CMD_CLEAR].pPath = pToolPath;
    RunMenu(&Outer, nullptr, 1);
    fflush(stdout);
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_EQ(status, 0);
  return ReadText(dir / "out");
}

const std::string kOuter = "\f\n" + std::string(35, ' ') +
                           "Help Test\n\n 1) Change help file \n\n" +
                           " 2) Remove help file \n\n q) Quit \n\nEnter option or h for help: ";

// One help screen, centred by its own title (pad blanks): the page, the
// links in 25-column cells, an empty line, the three keys and the prompt.
std::string Help(int pad, const std::string& title, const std::string& page,
                 const std::vector<std::string>& links = {}) {
  std::string row;
  for (const std::string& l : links) {
    std::string cell = " " + std::to_string(row.size() / 25 + 1) + ") " + l;
    row += cell.append(25 - cell.size(), ' ');
  }
  return "\f\n" + std::string(pad, ' ') + title + "\n\n" + page + " \n\n" + row +
         (links.empty() ? "\n" : "\n\n") + " e) Exit Help" + std::string(12, ' ') + " c) Contents" +
         std::string(13, ' ') + " b) Back" + std::string(17, ' ') + "\n\nEnter option: ";
}

TEST(HelpNavigation, LinksBackContentsReloadAndLongWalks) {
  TestDir dir;
  const std::string chain = HelpFile(
      "@screen contents\n@title Contents\nStart here.\n{one|First}\n"
      "@screen one\n@title One\nScreen one, see {two|Second}.\n"
      "@screen two\n@title Two\n{three|Third}\n"
      "@screen three\n@title Three\nLast.\n{#1|Home}\n");
  const std::string C = Help(36, "Contents", "Start here.\n", {"First"});
  const std::string S1 = Help(38, "One", "Screen one, see <Second>.\n", {"Second"});
  const std::string S2 = Help(38, "Two", "", {"Third"}),
                    S3 = Help(37, "Three", "Last.\n", {"Home"});
  const std::string c = Help(39, "C", "", {"D"}), d = Help(39, "D", "", {"Zero", "Far"});
  const std::string a = Help(39, "A", "", {"To B"}), b = Help(39, "B", "", {"To A"});
  gNextHelp = HelpFile("@screen new\n@title New Contents\nChanged.\n");
  const std::string n = Help(34, "New Contents", "Changed.\n");
  const std::string noFile =
      "ERROR: couldn't open " + (dir / "setup.hlp") + "\nPress <Return> to continue ";
  std::string walk = "h\n1\n", walked = a;
  for (int step = 1; step <= 99; step++) walk += "1\n", walked += step % 2 ? b : a;
  // Three links, then Back four times: the fourth changes nothing.
  // Contents after links; the next Back does nothing; an empty line only
  // redraws. A link with value 1 leads to the contents and is a step of
  // its own. An empty file name keeps the file of the run before. Help
  // reads the file each time: changed, help starts at the new contents;
  // gone, the message is shown and the help menu runs with what it held,
  // or without any file the asking menu comes back. Links to screens the
  // file lacks do nothing, and take no step. 99 forward steps are kept;
  // the 100th link is ignored, Back still works.
  // clang-format off
  const struct { std::string file, input, screens; } runs[] = {
      {chain, "h\n1\n1\n1\nb\nb\nb\nb\ne\nq\n", C + S1 + S2 + S3 + S2 + S1 + C + C},
      {"", "h\n1\n1\nc\nb\n\ne\nq\n", C + S1 + S2 + C + C + C},
      {"", "h\n1\n1\n1\n1\nb\nb\ne\nq\n", C + S1 + S2 + S3 + C + S3 + S2},
      {"", "h\n1\ne\n1\nh\ne\n2\nh\n\ne\nq\n",
       C + S1 + kOuter + kOuter + n + kOuter + kOuter + noFile + n},
      {"", "h\n\nq\n", noFile},
      {HelpFile("@screen c\n@title C\n{d|D}\n@screen d\n@title D\n{#0|Zero}\n{#9|Far}\n"),
       "h\n1\n1\n2\nb\nb\ne\nq\n", c + d + d + d + c + c},
      {HelpFile("@screen a\n@title A\n{b|To B}\n@screen b\n@title B\n{a|To A}\n"),
       walk + "b\ne\nq\n", walked + b + a}};
  // clang-format on
  for (const auto& run : runs)
    EXPECT_EQ(Scripted(dir, run.file, run.input), kOuter + run.screens + kOuter) << run.input;
}

}  // namespace
