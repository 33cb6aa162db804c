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
int ChangeHelp(TextMenu*, TextMenuItem*) { return WriteFile(gHelpPath, gNextHelp), 1; }
int RemoveHelp(TextMenu*, TextMenuItem*) { return unlink(gHelpPath.c_str()), 1; }
TextMenuItem OuterItems[] = {
    {.pName = "Change help file", .Kind = TM_ACTION, .Handler = ChangeHelp, .SavedValue = -1},
    {.pName = "Remove help file", .Kind = TM_ACTION, .Handler = RemoveHelp, .SavedValue = -1},
    {.pName = "~q Quit", .Kind = TM_EXIT, .SavedValue = -1},
    {.pName = nullptr, .SavedValue = -1},
};
TextMenu Outer = {
    .pTitle = "Help Test", .TitleStyle = 1, .pItems = OuterItems, .Flags = TMF_NORETURN | TMF_HELP};

// Runs the outer menu on the input, with the help file beside the
// "program" in dir and a clear that prints nothing; returns its output.
std::string Scripted(const TempDir& dir, const std::string& help, const std::string& input) {
  gHelpPath = dir.File("setup.hlp");
  if (!help.empty()) WriteFile(gHelpPath, help);
  WriteFile(dir.File("in"), input);
  WriteFile(dir.File("clear"), "#!/bin/sh\n");
  chmod(dir.File("clear").c_str(), 0755);
  fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(open(dir.File("in").c_str(), O_RDONLY), 0);
    dup2(open(dir.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    pToolPath = strdup(dir.path.c_str());
    ComList[CMD_CLEAR].pPath = pToolPath;
    RunMenu(&Outer, nullptr, 1);
    fflush(stdout);
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_EQ(status, 0);
  return ReadFile(dir.File("out"));
}

// Every screen is centred by its own title, also when the help menu
// changes it from screen to screen.
std::string TitleBlock(const std::string& title) {
  return "\f\n" + std::string((80 - title.size()) / 2, ' ') + title + "\n\n";
}

std::string Row(const std::vector<std::string>& cells) {
  std::string row;
  for (std::string c : cells) row += c.append(25 - c.size(), ' ');
  return row;
}

const std::string kOuter = TitleBlock("Help Test") + " 1) Change help file \n\n" +
                           " 2) Remove help file \n\n q) Quit \n\nEnter option or h for help: ";

// One help screen: the page, the links (three at most here) in columns,
// an empty line, the three keys and the prompt.
std::string Help(const std::string& title, const std::string& page,
                 const std::vector<std::string>& links = {}) {
  std::vector<std::string> cells;
  for (const std::string& l : links)
    cells.push_back(" " + std::to_string(cells.size() + 1) + ") " + l);
  return TitleBlock(title) + page + " \n\n" + Row(cells) + (links.empty() ? "\n" : "\n\n") +
         Row({" e) Exit Help", " c) Contents", " b) Back"}) + "\n\nEnter option: ";
}

std::string OpenError(const TempDir& dir) {
  return "ERROR: couldn't open " + dir.File("setup.hlp") + "\nPress <Return> to continue ";
}

const std::string kChain =
    "@screen contents\n@title Contents\nStart here.\n{one|First}\n"
    "@screen one\n@title One\nScreen one, see {two|Second}.\n"
    "@screen two\n@title Two\n{three|Third}\n"
    "@screen three\n@title Three\nLast.\n{#1|Home}\n";
const std::string C = Help("Contents", "Start here.\n", {"First"});
const std::string S1 = Help("One", "Screen one, see <Second>.\n", {"Second"});
const std::string S2 = Help("Two", "", {"Third"});
const std::string S3 = Help("Three", "Last.\n", {"Home"});

TEST(HelpNavigation, LinksBackContentsAndLongWalks) {
  TempDir dir;
  const std::string c = Help("C", "", {"D"}), d = Help("D", "", {"Zero", "Far"});
  const std::string a = Help("A", "", {"To B"}), b = Help("B", "", {"To A"});
  std::string walk = "h\n1\n", walked = a;
  for (int step = 1; step <= 99; step++) walk += "1\n", walked += step % 2 ? b : a;
  // Three links, then Back four times: the fourth changes nothing.
  // Contents after links; the next Back does nothing; an empty line only
  // redraws. A link with value 1 leads to the contents and is a step of
  // its own. Links to screens the file lacks do nothing, and take no step.
  // 99 forward steps are kept; the 100th link is ignored, Back still works.
  // An empty file name keeps the file of the run before.
  // clang-format off
  const struct { std::string file, input, screens; } runs[] = {
      {HelpFile(kChain), "h\n1\n1\n1\nb\nb\nb\nb\ne\nq\n", C + S1 + S2 + S3 + S2 + S1 + C + C},
      {"", "h\n1\n1\nc\nb\n\ne\nq\n", C + S1 + S2 + C + C + C},
      {"", "h\n1\n1\n1\n1\nb\nb\ne\nq\n", C + S1 + S2 + S3 + C + S3 + S2},
      {HelpFile("@screen c\n@title C\n{d|D}\n@screen d\n@title D\n{#0|Zero}\n{#9|Far}\n"),
       "h\n1\n1\n2\nb\nb\ne\nq\n", c + d + d + d + c + c},
      {HelpFile("@screen a\n@title A\n{b|To B}\n@screen b\n@title B\n{a|To A}\n"),
       walk + "b\ne\nq\n", walked + b + a},
  };
  // clang-format on
  for (const auto& run : runs)
    EXPECT_EQ(Scripted(dir, run.file, run.input), kOuter + run.screens + kOuter) << run.input;
}

TEST(HelpOpening, ReloadsTheFileEachTime) {
  TempDir dir;
  // Help, a link, leave; change the file; help starts at the new
  // contents. With the file gone, the message is shown and the help menu
  // runs with what it held.
  gNextHelp = HelpFile("@screen new\n@title New Contents\nChanged.\n");
  std::string n = Help("New Contents", "Changed.\n");
  EXPECT_EQ(Scripted(dir, HelpFile(kChain), "h\n1\ne\n1\nh\ne\n2\nh\n\ne\nq\n"),
            kOuter + C + S1 + kOuter + kOuter + n + kOuter + kOuter + OpenError(dir) + n + kOuter);

  // Without a help file (the last run removed it) the asking menu comes
  // back.
  EXPECT_EQ(Scripted(dir, "", "h\n\nq\n"), kOuter + OpenError(dir) + kOuter);
}

}  // namespace
