#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "textmenu/MenuHarness.h"
#include "textmenu/textmenu.h"
#include "utils/utils.h"

namespace {

#define MARK(name)                                      \
  [](TextMenu*, TextMenuItem*) -> int {                 \
    printf("[[" name "]]");                             \
    return 0;                                           \
  }

int PrintMark(const char* name) {
  printf("[[%s]]", name);
  return 0;
}

const char kMainTitle[] = "Install Print Driver and Utilities";

TEST(MenuLoop, MainMenuScreenByteForByte) {
  TextMenuItem items[] = {
      Item("Install Driver and Utilities", TM_ACTION, MARK("install")),
      Item("Create an installation site.", TM_ACTION, MARK("site")),
      Item("Create installation diskettes.", TM_ACTION, MARK("disks")),
      Item("~e Exit", TM_EXIT),
      Item("", TM_TEXT),
      End(),
  };
  TextMenu menu = Menu(kMainTitle, items, TMF_NORETURN | TMF_HELP);
  ScriptedRun r = RunScripted("e\n", [&] { RunMenu(&menu, nullptr, 1); });
  const std::string screen =
      "\f\n" + std::string(23, ' ') + "Install Print Driver and Utilities\n\n" +
      " 1) Install Driver and Utilities \n\n"
      " 2) Create an installation site. \n\n"
      " 3) Create installation diskettes. \n\n"
      " e) Exit \n\n"
      " \n\n"
      "Enter option or h for help: ";
  EXPECT_EQ(r.out, screen);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
}

TEST(MenuLoop, SelectionByNumberAndLetter) {
  TextMenuItem items[] = {
      Item("Heading", TM_TEXT),                              // no number
      Item("A", TM_ACTION, MARK("A")),                       // 1
      Item("B", TM_ACTION | TM_HIDDEN, MARK("B")),           // 2
      Item("C", TM_ACTION, MARK("C")),                       // 3
      Item("D", TM_ACTION | TM_DISABLED, MARK("D")),         // 4
      Item("~x Hidden key", TM_ACTION | TM_HIDDEN, MARK("x")),  // 5
      Item("~q Quit", TM_EXIT, MARK("q")),                   // 6
      End(),
  };
  TextMenu menu = Menu("Sel", items, TMF_NORETURN | TMF_COMPACT);
  // 3abc picks 3; 0, 99, -1, a hidden, a disabled and a letter item's
  // number pick nothing; a hidden letter item still answers its key; the
  // key is compared in lower case; an empty line only redraws.
  ScriptedRun r = RunScripted("3abc\n0\n99\n-1\n2\n4\n6\n\nx\nQ\n", [&] { RunMenu(&menu, nullptr, 1); });
  EXPECT_EQ(Markers(r.out), "C x q");
  EXPECT_EQ(Count(r.out, "Enter option: "), 10);
  EXPECT_EQ(r.status, 0);
}

TEST(MenuLoop, EmptyMenuShowsTitleAndPromptOnly) {
  TextMenuItem items[] = {End()};
  TextMenu menu = Menu("Empty", items, TMF_NORETURN);
  ScriptedRun r = RunScripted("1\n", [&] { RunMenu(&menu, nullptr, 1); });
  EXPECT_EQ(r.out, Screen("Empty", "", "Enter option: ") + Screen("Empty", "", "Enter option: "));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("\nsetup: reading from standard input : ", 0), 0u);
}

TEST(MenuLoop, UpperCaseHelpKey) {
  ScratchDir dir;
  TextMenuItem items[] = {Item("~h Hello", TM_ACTION, MARK("hello")), Item("~e Exit", TM_EXIT), End()};
  // With the help flag, H opens the viewer (here without a help file, so
  // it reports that and returns to the menu).
  TextMenu withHelp = Menu("M", items, TMF_NORETURN | TMF_HELP);
  ScriptedRun r = RunScripted("H\n\ne\n", [&] {
    static std::string tool = dir.path();
    pToolPath = tool.data();
    RunMenu(&withHelp, nullptr, 1);
  });
  EXPECT_EQ(Markers(r.out), "");
  EXPECT_NE(r.out.find("ERROR: couldn't open " + dir.path() + "/setup.hlp\nPress <Return> to continue "),
            std::string::npos);
  EXPECT_EQ(r.status, 0);
  // Without it, H is the letter key h.
  TextMenu noHelp = Menu("M", items, TMF_NORETURN);
  r = RunScripted("H\ne\n", [&] { RunMenu(&noHelp, nullptr, 1); });
  EXPECT_EQ(Markers(r.out), "hello");
  EXPECT_EQ(r.out.find("couldn't open"), std::string::npos);
}

TEST(MenuLoop, EndOfInputIsFatalEverywhere) {
  TextMenuItem items[] = {Item("A", TM_ACTION, MARK("A")), End()};
  TextMenu menu = Menu("M", items, TMF_NORETURN);
  ScriptedRun r = RunScripted("1\n", [&] { RunMenu(&menu, nullptr, 1); });
  EXPECT_EQ(Markers(r.out), "A");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("setup: reading from standard input : "), std::string::npos);

  r = RunScripted("maybe\n", [] { PromptYN("Go on"); });
  EXPECT_EQ(r.out, "Go on? [y/n] Go on? [y/n] ");
  EXPECT_EQ(r.status, 1);
  r = RunScripted("", [] { PostMsg("Note"); });
  EXPECT_EQ(r.out, "Note\nPress <Return> to continue ");
  EXPECT_EQ(r.status, 1);
}

TEST(MenuLoop, OverlongLineIsNotTheNextAnswer) {
  // The tail of a line longer than the buffer must not be read as "y".
  std::string input = std::string(5000, 'x') + "y\nn\n";
  ScriptedRun r = RunScripted(input, [] { printf("[[%d]]", PromptYN("Q")); });
  EXPECT_EQ(Markers(r.out), "0");
  EXPECT_EQ(Count(r.out, "Q? [y/n] "), 2);
}

TEST(MenuLoop, PromptYNTakesOnlyLowerCaseFirstCharacter) {
  ScriptedRun r = RunScripted("Y\n y\n\nN\nyes\n", [] { printf("[[%d]]", PromptYN("Continue %s", "now")); });
  EXPECT_EQ(Count(r.out, "Continue now? [y/n] "), 5);
  EXPECT_EQ(Markers(r.out), "1");
  r = RunScripted("no\n", [] { printf("[[%d]]", PromptYN("Q")); });
  EXPECT_EQ(Markers(r.out), "0");
}

TEST(MenuLoop, LeaveSequenceWithoutApplyQuery) {
  TextMenuItem items[] = {Item("A", TM_ACTION), End()};
  TextMenu menu = Menu("M", items, TMF_COMPACT);
  menu.ApplyFn = [](TextMenu*) { return PrintMark("apply"); };
  menu.RefreshFn = [](TextMenu*) { return PrintMark("refresh"); };
  ScriptedRun r = RunScripted("\nn\n\ny\n", [&] { RunMenu(&menu, nullptr, 1); });
  const std::string screen = Screen("M", " 1) A \n", "Enter option or <Return> to exit: ");
  EXPECT_EQ(r.out, "[[refresh]]" + screen + "[[apply]]\nDo you want to exit setup? [y/n] [[refresh]]" + screen +
                       "[[apply]]\nDo you want to exit setup? [y/n] \n");
  EXPECT_EQ(r.status, 0);

  // A sub-menu names its parent instead of the program.
  TextMenu parent = Menu("Main", items, 0);
  TextMenu child = Menu("Child", items, TMF_COMPACT);
  child.pParent = &parent;
  r = RunScripted("\ny\n", [&] { RunMenu(&child, nullptr, 1); });
  EXPECT_EQ(r.out, Screen("Child", " 1) A \n", "Enter option or <Return> to exit: ") +
                       "\nDo you want to return to Main menu? [y/n] ");
}

TEST(MenuLoop, LeaveSequenceWithApplyQuery) {
  TextMenuItem items[] = {
      Entry("Name", TM_NAME, "Printer name", nullptr),
      Choice("Mode", "No,Yes", 0),
      Item("~e Exit", TM_EXIT),
      End(),
  };
  TextMenu menu = Menu("M", items, TMF_COMPACT);
  menu.pApplyQuery = "\nApply the changes";
  menu.ApplyFn = [](TextMenu*) { return PrintMark("apply"); };
  // Nothing changed: no apply question, straight to the exit question.
  ScriptedRun r = RunScripted("\ny\n", [&] { RunMenu(&menu, nullptr, 1); });
  EXPECT_EQ(Count(r.out, "Apply the changes"), 0);
  EXPECT_EQ(Count(r.out, "Do you want to exit setup? [y/n] "), 1);
  EXPECT_EQ(Markers(r.out), "");

  // Changed, but the name is still empty: the names message, back to the menu;
  // then the name is set and the apply question leaves without the exit question.
  r = RunScripted("2\n\ny\n\n1\nlp1\n\ny\n", [&] { RunMenu(&menu, nullptr, 1); });
  EXPECT_EQ(Count(r.out, "\nApply the changes? [y/n] "), 2);
  EXPECT_EQ(Count(r.out, "\nAll names must be set before applying setup.\nPress <Return> to continue"), 1);
  EXPECT_EQ(Count(r.out, "Do you want to exit"), 0);
  EXPECT_EQ(Markers(r.out), "apply");
  EXPECT_EQ(r.status, 0);

  // Changed, answer no: the exit question follows and ApplyFn does not run.
  r = RunScripted("2\n\nn\ny\n", [&] { RunMenu(&menu, nullptr, 1); });
  EXPECT_EQ(Count(r.out, "Do you want to exit setup? [y/n] "), 1);
  EXPECT_EQ(Markers(r.out), "");
}

TEST(MenuLoop, NoReturnEmptyLineOnlyRedraws) {
  TextMenuItem items[] = {Item("~e Exit", TM_EXIT), End()};
  TextMenu menu = Menu("M", items, TMF_NORETURN);
  ScriptedRun r = RunScripted("\n\ne\n", [&] { RunMenu(&menu, nullptr, 1); });
  EXPECT_EQ(Count(r.out, "Enter option: "), 3);
  EXPECT_EQ(Count(r.out, "Do you want"), 0);
  EXPECT_EQ(r.status, 0);
}

TEST(MenuLoop, ReinitAfterAction) {
  TextMenuItem items[] = {
      Item("Bump", TM_ACTION,
           [](TextMenu* m, TextMenuItem*) {
             m->pItems[1].Default.Int = 7;
             return 0;
           }),
      Entry("Count", TM_INT, "Count", nullptr),
      Item("~e Exit", TM_EXIT),
      End(),
  };
  items[1].Default.Int = 1;
  TextMenu menu = Menu("M", items, TMF_NORETURN | TMF_COMPACT | TMF_REINIT);
  ScriptedRun r = RunScripted("1\ne\n", [&] { RunMenu(&menu, nullptr, 1); });
  EXPECT_EQ(Count(r.out, " 2) Count .. [1]"), 1);
  EXPECT_EQ(Count(r.out, " 2) Count .. [7]"), 1);
  items[1].Default.Int = 1;
  menu.Flags = TMF_NORETURN | TMF_COMPACT;
  r = RunScripted("1\ne\n", [&] { RunMenu(&menu, nullptr, 1); });
  EXPECT_EQ(Count(r.out, " 2) Count .. [1]"), 2);
}

TEST(MenuLoop, KindBeforeDecidesTheWayOut) {
  // The handler turns its action item into an exit item.
  auto toExit = [](TextMenu*, TextMenuItem* item) {
    item->Kind = TM_EXIT;
    return PrintMark("turned");
  };
  TextMenuItem items[] = {Item("Act", TM_ACTION, toExit), Item("~e Exit", TM_EXIT), End()};
  TextMenu menu = Menu("M", items, TMF_NORETURN);
  ScriptedRun r = RunScripted("1\n", [&] { RunMenu(&menu, nullptr, 1); });
  EXPECT_EQ(r.status, 0);  // left after the handler: the kind read afterwards is TM_EXIT
  EXPECT_EQ(Count(r.out, "Enter option: "), 1);

  items[0].Kind = TM_ACTION;
  menu.Flags = TMF_NORETURN | TMF_KINDBEFORE;
  r = RunScripted("1\ne\n", [&] { RunMenu(&menu, nullptr, 1); });
  EXPECT_EQ(Count(r.out, "Enter option: "), 2);
  EXPECT_EQ(r.status, 0);
}

TEST(MenuLoop, ExitFlagLeavesNestedMenus) {
  TextMenuItem subItems[] = {
      Item("Finish", TM_ACTION,
           [](TextMenu*, TextMenuItem*) {
             flExitTextMenu = 1;
             return PrintMark("finish");
           }),
      Entry("Text", TM_STRING, "Text", nullptr),
      End(),
  };
  static TextMenu sub = Menu("Sub", subItems, TMF_NORETURN);
  TextMenuItem items[] = {Item("Open", TM_SUBMENU, MARK("subitem")), Entry("Keep", TM_STRING, "Keep", nullptr),
                          End()};
  items[0].Value.Menu = &sub;
  TextMenu menu = Menu("Top", items, TMF_NORETURN | TMF_KEEP);
  menu.RefreshFn = [](TextMenu*) { return PrintMark("refresh"); };
  ScriptedRun r = RunScripted("1\n1\n", [&] {
    RunMenu(&menu, nullptr, 1);
    // The sub-menu was released, the top menu kept its buffers.
    printf("[[sub %s top %s]]", subItems[1].Value.Buf ? "kept" : "freed", items[1].Value.Buf ? "kept" : "freed");
  });
  EXPECT_EQ(Markers(r.out), "refresh finish refresh subitem sub freed top kept");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Count(r.out, "Enter option: "), 2);
}

TEST(MenuLoop, ProcessSelectionResults) {
  TextMenuItem items[] = {
      Entry("Name", TM_NAME, "Name", "a(1,8)"),
      Entry("Num", TM_INT, "Number", "d(1,99)"),
      Entry("Ratio", TM_FLOAT, "Ratio", "f(0,10)"),
      Choice("Blank choice", "No, Yes", 0),
      Choice("Three", "a, b,c", 0),
      Item("Apply", TM_APPLY, MARK("apply")),
      End(),
  };
  items[0].Handler = MARK("name");
  TextMenu menu = Menu("M", items, 0);
  ScriptedRun r = RunScripted("\n\nabc\nx1\n\n42\n2.5\n", [&] {
    int map[TM_MAP_SIZE];
    InitMenu(&menu, map);
    printf("[[apply %d]]", ProcessSelection(&menu, 5));   // names empty
    printf("[[empty %d]]", ProcessSelection(&menu, 0));   // empty line: kept
    printf("[[abc %d]]", ProcessSelection(&menu, 0));     // stored, handler twice
    printf("[[bad %d]]", ProcessSelection(&menu, 0));     // invalid: message
    printf("[[int %d]]", ProcessSelection(&menu, 1));
    printf("[[float %d]]", ProcessSelection(&menu, 2));
    int blank = ProcessSelection(&menu, 3);
    printf("[[blank %d %d]]", blank, static_cast<int>(items[3].Value.Int));
    int three = ProcessSelection(&menu, 4);
    printf("[[three %d %d]]", three, static_cast<int>(items[4].Value.Int));
    printf("[[values %s %d %.2f]]", items[0].Value.Buf, static_cast<int>(items[1].Value.Int),
           static_cast<double>(items[2].Value.Float));
  });
  EXPECT_EQ(Markers(r.out),
            "apply 0 name empty 0 name name abc 1 name bad 0 int 1 float 1 blank 0 0 three 1 2 values abc 42 2.50");
  EXPECT_NE(r.out.find("Name: "), std::string::npos);
  EXPECT_NE(r.out.find("Number: "), std::string::npos);
}

}  // namespace
