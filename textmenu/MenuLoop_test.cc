#include <gtest/gtest.h>

#include <cstdio>

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

TEST(MenuLoop, MainMenuScreenByteForByte) {
  TextMenuItem items[] = {Item("Install Driver and Utilities", TM_ACTION),
                          Item("Create an installation site.", TM_ACTION),
                          Item("Create installation diskettes.", TM_ACTION),
                          Item("~e Exit", TM_EXIT), Item("", TM_TEXT), End()};
  TextMenu menu = Menu("Install Print Driver and Utilities", items, TMF_NORETURN | TMF_HELP);
  ScriptedRun r = RunOn(&menu, "e\n");
  EXPECT_EQ(r.out, Screen("Install Print Driver and Utilities",
                          " 1) Install Driver and Utilities \n\n"
                          " 2) Create an installation site. \n\n"
                          " 3) Create installation diskettes. \n\n"
                          " e) Exit \n\n \n\n",
                          "Enter option or h for help: "));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
}

TEST(MenuLoop, SelectionByNumberAndLetter) {
  // Numbers: A 1, B 2 (hidden), C 3, D 4 (disabled), x 5, h 6, q 7.
  TextMenuItem items[] = {
      Item("Heading", TM_TEXT), Item("A", TM_ACTION, MARK("A")),
      Item("B", TM_ACTION | TM_HIDDEN, MARK("B")), Item("C", TM_ACTION, MARK("C")),
      Item("D", TM_ACTION | TM_DISABLED, MARK("D")), Item("~x X", TM_ACTION | TM_HIDDEN, MARK("x")),
      Item("~h Hello", TM_ACTION, MARK("h")), Item("~q Quit", TM_EXIT, MARK("q")), End()};
  TextMenu menu = Menu("Sel", items, TMF_NORETURN | TMF_COMPACT);
  // 3abc picks 3; 0, 99, -1, a hidden, a disabled and a letter item's
  // number pick nothing; a hidden letter item still answers its key; keys
  // are compared in lower case; an empty line only redraws.
  ScriptedRun r = RunOn(&menu, "3abc\n0\n99\n-1\n2\n4\n7\n\nx\nH\nQ\n");
  EXPECT_EQ(Markers(r.out), "C x h q");
  EXPECT_EQ(Count(r.out, "Enter option: "), 11);
  EXPECT_EQ(Count(r.out, "Do you want"), 0);
  EXPECT_EQ(r.status, 0);
  // With the help flag H opens the viewer (here without a help file, so
  // it says so and the menu comes back).
  ScratchDir dir;
  std::string tool = dir.path();
  menu.Flags |= TMF_HELP;
  r = RunScripted("H\n\nq\n", [&] { pToolPath = tool.data(); RunMenu(&menu, nullptr, 1); });
  EXPECT_EQ(Markers(r.out), "q");
  EXPECT_NE(r.out.find("ERROR: couldn't open " + dir.path() +
                       "/setup.hlp\nPress <Return> to continue "),
            std::string::npos);
}

TEST(MenuLoop, BarNumbersSelectTheItemShown) {
  // The text and blank cells before B take no number: B shows 2, and 2
  // runs B; 3 is the letter item's number and selects nothing.
  TextMenuItem items[] = {Bar(TM_BAR, 3), Item("A", TM_ACTION, MARK("A")), Item("Note", TM_TEXT),
                          Item("", TM_BLANK), Item("B", TM_ACTION, MARK("B")),
                          Item("~q Quit", TM_EXIT, MARK("q")), End()};
  TextMenu menu = Menu("Bar", items, TMF_NORETURN | TMF_COMPACT);
  ScriptedRun r = RunOn(&menu, "2\n3\nq\n");
  EXPECT_EQ(Count(r.out, " 2) B "), 3);
  EXPECT_EQ(Markers(r.out), "B q");
}

TEST(MenuLoop, EndOfInputIsFatalAndLongLinesAreDropped) {
  TextMenuItem items[] = {End()};
  TextMenu menu = Menu("Empty", items, TMF_NORETURN);
  ScriptedRun r = RunOn(&menu, "1\n");
  EXPECT_EQ(r.out, Screen("Empty", "", "Enter option: ") + Screen("Empty", "", "Enter option: "));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "\nsetup: reading from standard input: end of input\n");
  r = RunScripted("", [] { PostMsg("Note"); });
  EXPECT_EQ(r.out, "Note\nPress <Return> to continue ");
  EXPECT_EQ(r.status, 1);
  // Only a lower-case first character answers; the tail of a line longer
  // than the buffer must not be read as the next answer.
  r = RunScripted("Y\n y\n\nN\nyes\n", [] { printf("[[%d]]", PromptYN("Continue %s", "now")); });
  EXPECT_EQ(Count(r.out, "Continue now? [y/n] "), 5);
  EXPECT_EQ(Markers(r.out), "1");
  // A NUL (Ctrl-@) ends its answer there; the next line is still the next answer.
  r = RunScripted(std::string("\0x\nn\ny\n", 7), [] { printf("[[%d]]", PromptYN("Go")); });
  EXPECT_EQ(Count(r.out, "Go? [y/n] "), 2);
  EXPECT_EQ(Markers(r.out), "0");
  r = RunScripted(std::string(5000, 'x') + "y\nno\n", [] { printf("[[%d]]", PromptYN("Q")); });
  EXPECT_EQ(r.out, "Q? [y/n] Q? [y/n] [[0]]");
}

TEST(MenuLoop, LeaveSequence) {
  TextMenuItem items[] = {Item("A", TM_ACTION), End()};
  TextMenu menu = Menu("M", items, TMF_COMPACT);
  menu.ApplyFn = [](TextMenu*) { return PrintMark("apply"); };
  menu.RefreshFn = [](TextMenu*) { return PrintMark("refresh"); };
  const std::string screen = Screen("M", " 1) A \n", "Enter option or <Return> to exit: ");
  const std::string leave = "[[apply]]\nDo you want to exit setup? [y/n] ";
  ScriptedRun r = RunOn(&menu, "\nn\n\ny\n");
  EXPECT_EQ(r.out, "[[refresh]]" + screen + leave + "[[refresh]]" + screen + leave + "\n");
  EXPECT_EQ(r.status, 0);
  // A sub-menu names its parent instead of the program.
  TextMenu parent = Menu("Main", items, 0), child = Menu("M", items, TMF_COMPACT);
  child.pParent = &parent;
  EXPECT_EQ(RunOn(&child, "\ny\n").out, screen + "\nDo you want to return to Main menu? [y/n] ");

  TextMenuItem queryItems[] = {Entry("Name", TM_NAME, "Printer name", nullptr),
                               Choice("Mode", "No,Yes", 0), Item("~e Exit", TM_EXIT), End()};
  menu = Menu("M", queryItems, TMF_COMPACT);
  menu.pApplyQuery = "\nApply the changes";
  menu.ApplyFn = [](TextMenu*) { return PrintMark("apply"); };
  // Nothing changed: no apply question. Changed with the name still
  // empty: the names message and back to the menu; once the name is set,
  // yes applies and leaves with no exit question. Answer no: the exit
  // question follows and ApplyFn does not run.
  const std::string names =
      "\nAll names must be set before applying setup.\nPress <Return> to continue";
  const struct { const char* input; int applyQs, namesMsgs, exitQs; const char* marks; } runs[] = {
      {"\ny\n", 0, 0, 1, ""},
      {"2\n\ny\n\n1\nlp1\n\ny\n", 2, 1, 0, "apply"},
      {"2\n\nn\ny\n", 1, 0, 1, ""}};
  for (const auto& run : runs) {
    r = RunOn(&menu, run.input);
    EXPECT_EQ(Count(r.out, "\nApply the changes? [y/n] "), run.applyQs) << run.input;
    EXPECT_EQ(Count(r.out, names), run.namesMsgs) << run.input;
    EXPECT_EQ(Count(r.out, "\nDo you want to exit setup? [y/n] "), run.exitQs) << run.input;
    EXPECT_EQ(Markers(r.out), run.marks) << run.input;
    EXPECT_EQ(r.status, 0);
  }
}

TEST(MenuLoop, ReinitAndKindBefore) {
  auto bump = [](TextMenu* m, TextMenuItem*) { return (m->pItems[1].Default.Int = 7, 0); };
  TextMenuItem items[] = {Item("Bump", TM_ACTION, bump), Entry("Count", TM_INT, "Count", nullptr),
                          Item("~e Exit", TM_EXIT), End()};
  items[1].Default.Int = 1;
  TextMenu menu = Menu("M", items, TMF_NORETURN | TMF_COMPACT | TMF_REINIT);
  ScriptedRun r = RunOn(&menu, "1\ne\n");
  EXPECT_EQ(Count(r.out, " 2) Count .. [1]"), 1);
  EXPECT_EQ(Count(r.out, " 2) Count .. [7]"), 1);
  menu.Flags = TMF_NORETURN | TMF_COMPACT;
  r = RunOn(&menu, "1\ne\n");
  EXPECT_EQ(Count(r.out, " 2) Count .. [1]"), 2);
  // A handler that turns its item into an exit item leaves the menu,
  // unless the kind is taken before the handler runs.
  items[0].Handler = [](TextMenu*, TextMenuItem* item) { return (item->Kind = TM_EXIT, 0); };
  r = RunOn(&menu, "1\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Count(r.out, "Enter option: "), 1);
  menu.Flags |= TMF_KINDBEFORE;
  r = RunOn(&menu, "1\ne\n");
  EXPECT_EQ(Count(r.out, "Enter option: "), 2);
  EXPECT_EQ(r.status, 0);
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
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Count(r.out, "Enter option: "), 2);
}

TEST(MenuLoop, ProcessSelectionResults) {
  TextMenuItem items[] = {Entry("Name", TM_NAME, "Name", "a(1,8)"),
                          Entry("Num", TM_INT, "Number", "d(1,99)"),
                          Entry("Ratio", TM_FLOAT, "Ratio", "f(0,10)"),
                          Choice("Blank choice", "No, Yes", 0), Choice("Three", "a, b,c", 0),
                          Item("Apply", TM_APPLY, MARK("apply")), End()};
  items[0].Handler = MARK("name");
  TextMenu menu = Menu("M", items, 0);
  ScriptedRun r = RunScripted("\n\nabc\nx1\n\n42\n2.5\n", [&] {
    int map[TM_MAP_SIZE];
    InitMenu(&menu, map);
    // Apply with names empty; an empty line keeps the value; a valid one
    // is stored (handler before and after); an invalid one is refused.
    for (int index : {5, 0, 0, 0, 1, 2, 3, 4}) printf("[[%d]]", ProcessSelection(&menu, index));
    printf("[[values %s %d %.2f %d %d]]", items[0].Value.Buf, static_cast<int>(items[1].Value.Int),
           static_cast<double>(items[2].Value.Float), static_cast<int>(items[3].Value.Int),
           static_cast<int>(items[4].Value.Int));
  });
  EXPECT_EQ(Markers(r.out), "0 name 0 name name 1 name 0 1 1 0 1 values abc 42 2.50 0 2");
  EXPECT_NE(r.out.find("Name: "), std::string::npos);
  EXPECT_NE(r.out.find("Number: "), std::string::npos);
}

}  // namespace
