#include "textmenu/MenuHarness.h"
#include "utils/utils.h"

namespace {

// A handler that prints its marker.
#define MARK(name) [](TextMenu*, TextMenuItem*) { return (printf("[[" name "]]"), 0); }
int PrintMark(const char* name) { return (printf("[[%s]]", name), 0); }

// The menu run interactively on the given input.
ScriptedRun RunOn(TextMenu* menu, const std::string& input) {
  return RunScripted(input, [menu] { RunMenu(menu, nullptr, 1); });
}

std::string Times(int n, const std::string& text) { return n ? text + Times(n - 1, text) : ""; }

TEST(MenuLoop, SelectionByNumberAndLetter) {
  // Numbers: A 1, B 2 (hidden), C 3, D 4 (disabled), x 5, h 6, q 7.
  // clang-format off
  TextMenuItem items[] = {
      Item("Heading", TM_TEXT), Item("A", TM_ACTION, MARK("A")),
      Item("B", TM_ACTION | TM_HIDDEN, MARK("B")), Item("C", TM_ACTION, MARK("C")),
      Item("D", TM_ACTION | TM_DISABLED, MARK("D")), Item("~x X", TM_ACTION | TM_HIDDEN, MARK("x")),
      Item("~h Hello", TM_ACTION, MARK("h")), Item("~q Quit", TM_EXIT, MARK("q")), End()};
  // 3abc picks 3; 0, 99, -1, a hidden, a disabled and a letter item's
  // number pick nothing; a hidden letter item still answers its key; keys
  // are compared in lower case; an empty line only redraws. With the help
  // flag H opens the viewer instead: without a help file it says so and
  // the menu comes back.
  const std::string noHelp = "ERROR: couldn't open /no/setup.hlp\nPress <Return> to continue ";
  const struct { int flags; const char *input, *marks, *prompt; int n; } runs[] = {
      {0, "3abc\n0\n99\n-1\n2\n4\n7\n\nx\nH\nQ\n", "C x h q", "Enter option: ", 11},
      {TMF_HELP, "H\n\nq\n", "q", "Enter option or h for help: ", 2}};
  // clang-format on
  for (const auto& run : runs) {
    TextMenu menu = Menu("Sel", items, TMF_NORETURN | TMF_COMPACT | run.flags);
    ScriptedRun r = RunScripted(run.input, [&] {
      pToolPath = const_cast<char*>("/no");
      RunMenu(&menu, nullptr, 1);
    });
    EXPECT_EQ(Markers(r.out), run.marks);
    EXPECT_EQ(Count(r.out, run.prompt), run.n);
    EXPECT_EQ(Count(r.out, noHelp), run.flags ? 1 : 0);
    EXPECT_EQ(Count(r.out, "Do you want"), 0);
    EXPECT_EQ(r.status, 0);
  }
}

TEST(MenuLoop, AnswersAndEndOfInput) {
  // Only a lower-case first character answers; a NUL (Ctrl-@) ends its
  // answer there; the tail of a line longer than the buffer must not be
  // read as the next answer. The end of input is fatal. A title is
  // centred by its first line.
  static TextMenuItem none[] = {End()};
  static TextMenu empty = Menu("Head\nsecond line", none, TMF_NORETURN);
  // clang-format off
  const struct { std::string input; void (*body)(); std::string out; int status; } cases[] = {
      {"Y\n y\n\nN\nyes\n", [] { printf("[[%d]]", PromptYN("Continue %s", "now")); },
       Times(5, "Continue now? [y/n] ") + "[[1]]", 0},
      {std::string("\0x\nn\ny\n", 7), [] { printf("[[%d]]", PromptYN("Go")); },
       "Go? [y/n] Go? [y/n] [[0]]", 0},
      {std::string(5000, 'x') + "y\nno\n", [] { printf("[[%d]]", PromptYN("Q")); },
       "Q? [y/n] Q? [y/n] [[0]]", 0},
      {"", [] { PostMsg("Note"); }, "Note\nPress <Return> to continue ", 1},
      {"1\n", [] { RunMenu(&empty, nullptr, 1); },
       Times(2, "\f\n" + std::string(38, ' ') + "Head\nsecond line\n\nEnter option: "), 1}};
  // clang-format on
  for (const auto& c : cases) {
    ScriptedRun r = RunScripted(c.input, c.body);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.status ? "\nsetup: reading from standard input: end of input\n" : "");
  }
}

TEST(MenuLoop, LeaveSequence) {
  TextMenuItem items[] = {Entry("Name", TM_NAME, "Printer name", nullptr),
                          Choice("Mode", "No,Yes", 0), End()};
  TextMenu parent = Menu("Main", items, 0);
  // The apply function runs before the exit question, the refresh one
  // first and again after no; yes ends the line.
  TextMenu menu = Menu("M", items, TMF_COMPACT, 3);
  menu.ApplyFn = [](TextMenu*) { return PrintMark("apply"); };
  menu.RefreshFn = [](TextMenu*) { return PrintMark("refresh"); };
  const std::string screen = " 1) Name  []\n 2) Mode  [1. No]\nEnter option or <Return> to exit: ";
  const std::string leave = "[[apply]]\nDo you want to exit setup? [y/n] ";
  EXPECT_EQ(RunOn(&menu, "\nn\n\ny\n").out,
            "[[refresh]]" + screen + leave + "[[refresh]]" + screen + leave + "\n");
  // Counted: apply questions, names messages, leave questions. A
  // sub-menu names its parent instead of the program. With an apply
  // question: nothing changed, no question. Changed with the name still
  // empty: the names message and back to the menu; once the name is set,
  // yes applies and leaves with no exit question. Answer no: the exit
  // question follows and the apply function does not run.
  const std::string names = "\nAll names must be set before applying setup.\n";
  const char* ask = "\nApply the changes";
  // clang-format off
  const struct { const char* query; TextMenu* parent; const char *input, *marks, *counts; } runs[] = {
      {nullptr, &parent, "\ny\n", "refresh apply", "0 0 1"},
      {ask, nullptr, "\ny\n", "refresh", "0 0 1"},
      {ask, nullptr, "2\n\ny\n\n1\nlp1\n\ny\n", "refresh apply", "2 1 0"},
      {ask, nullptr, "2\n\nn\ny\n", "refresh", "1 0 1"}};
  // clang-format on
  for (const auto& run : runs) {
    menu.pApplyQuery = run.query;
    menu.pParent = run.parent;
    ScriptedRun r = RunOn(&menu, run.input);
    const std::string question = run.parent ? "\nDo you want to return to Main menu? [y/n] "
                                            : "\nDo you want to exit setup? [y/n] ";
    EXPECT_EQ(std::to_string(Count(r.out, "\nApply the changes? [y/n] ")) + " " +
                  std::to_string(Count(r.out, names)) + " " +
                  std::to_string(Count(r.out, question)),
              run.counts)
        << run.input;
    EXPECT_EQ(Markers(r.out), run.marks) << run.input;
    EXPECT_EQ(r.status, 0);
  }
}

TEST(MenuLoop, ReinitAndKindBefore) {
  // clang-format off
  TextMenuItemFn up = [](TextMenu* m, TextMenuItem*) { return (m->pItems[1].Default.Int = 7, 0); };
  TextMenuItemFn toExit = [](TextMenu*, TextMenuItem* item) { return (item->Kind = TM_EXIT, 0); };
  // Reinit shows the new default. A handler that turns its item into an
  // exit item leaves the menu, unless the kind is taken before it runs.
  const int nr = TMF_NORETURN | TMF_COMPACT;
  const struct { int flags; TextMenuItemFn fn; const char* input; int ones, sevens; } runs[] = {
      {nr | TMF_REINIT, up, "1\ne\n", 1, 1}, {nr, up, "1\ne\n", 2, 0},
      {nr, toExit, "1\n", 1, 0}, {nr | TMF_KINDBEFORE, toExit, "1\ne\n", 2, 0}};
  // clang-format on
  for (const auto& run : runs) {
    TextMenuItem items[] = {Item("Bump", TM_ACTION, run.fn),
                            Entry("Count", TM_INT, "Count", nullptr), Item("~e Exit", TM_EXIT),
                            End()};
    items[1].Default.Int = 1;
    TextMenu menu = Menu("M", items, run.flags);
    ScriptedRun r = RunOn(&menu, run.input);
    EXPECT_EQ(Count(r.out, " 2) Count .. [1]"), run.ones) << run.flags;
    EXPECT_EQ(Count(r.out, " 2) Count .. [7]"), run.sevens) << run.flags;
    EXPECT_EQ(r.status, 0);
  }
}

TEST(MenuLoop, ExitFlagLeavesNestedMenus) {
  auto finish = [](TextMenu*, TextMenuItem*) { return (flExitTextMenu = 1, PrintMark("finish")); };
  TextMenuItem subItems[] = {Item("Finish", TM_ACTION, finish),
                             Entry("Text", TM_STRING, "Text", nullptr), End()};
  static TextMenu sub = Menu("Sub", subItems, TMF_NORETURN);
  TextMenuItem items[] = {Item("Open", TM_SUBMENU, MARK("subitem")),
                          Entry("Keep", TM_STRING, "Keep", nullptr), End()};
  items[0].Value.Menu = &sub;
  TextMenu menu = Menu("Top", items, TMF_NORETURN | TMF_KEEP);
  menu.RefreshFn = [](TextMenu*) { return PrintMark("refresh"); };
  ScriptedRun r = RunScripted("1\n1\n", [&] {
    RunMenu(&menu, nullptr, 1);
    // The sub-menu was released, the top menu kept its buffers.
    printf("[[sub %s top %s]]", subItems[1].Value.Buf ? "kept" : "freed",
           items[1].Value.Buf ? "kept" : "freed");
  });
  EXPECT_EQ(Markers(r.out), "refresh finish refresh subitem sub freed top kept");
  EXPECT_EQ(Count(r.out, "Enter option: "), 2);
}

TEST(MenuLoop, ProcessSelectionResults) {
  TextMenuItem items[] = {Entry("Name", TM_NAME, "Name", "a(1,8)"),
                          Entry("Num", TM_INT, "Number", "d(1,99)"),
                          Entry("Ratio", TM_FLOAT, "Ratio", "f(0,10)"),
                          Choice("Blank choice", "No, Yes", 0),
                          Choice("Three", "a, b,c", 0),
                          Item("Apply", TM_APPLY, MARK("apply")),
                          End()};
  items[0].Handler = MARK("name");
  TextMenu menu = Menu("M", items, 0);
  ScriptedRun r = RunScripted("\n\nabc\nx1\n\n42\n2.5\n", [&] {
    int map[TM_MAP_SIZE];
    InitMenu(&menu, map);
    // Apply with names empty; an empty line keeps the value; a valid one
    // is stored (handler before and after); an invalid one is refused.
    // Choices step past texts that begin with a blank.
    for (int index : {5, 0, 0, 0, 1, 2, 3, 4}) printf("[[%d]]", ProcessSelection(&menu, index));
    printf("[[values %s %d %.2f %d %d]]", items[0].Value.Buf, static_cast<int>(items[1].Value.Int),
           static_cast<double>(items[2].Value.Float), static_cast<int>(items[3].Value.Int),
           static_cast<int>(items[4].Value.Int));
  });
  EXPECT_EQ(Markers(r.out), "0 name 0 name name 1 name 0 1 1 0 1 values abc 42 2.50 0 2");
  EXPECT_NE(r.out.find("Number: "), std::string::npos);
}

}  // namespace
