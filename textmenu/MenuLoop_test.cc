// The menu loop on a scripted operator: selections, answers, leaving,
// entry rules and settings files.
#include <unistd.h>

#include "textmenu/MenuHarness.h"

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

// Output of one check: the message and its confirmation if any, then "[[code]]".
std::string Check(const std::string& entry, const char* rule) {
  return RunScripted("\n", [&] { printf("[[%d]]", ValidateEntry(entry.c_str(), rule)); }).out;
}

TEST(EntryValidation, CodesAndMessages) {
  const char* file = "/A(1,255)+-+_+/";  // the settings file name
  const char* alt = "a(1,8)|d(1,99)";
  // After a number the next character is its separator ("5x", "10.5" as
  // two numbers); maximum 0 means no range test; no number tests the
  // value 0; only the last alternative reports; a number in range with
  // an alternative behind it is valid at once; the longest length allowed
  // is valid.
  // clang-format off
  const char* valid[] = {  // entry, rule pairs
      "5x", "d(1,10)", "123456", "d(0,0)", "x", "d(0,5)", "anything", nullptr,
      "10.5", "d(1,10)d(1,9)", "ff", "x(0,255)", "2.5", "f(0,10)", "abcd", "t(2,4)",
      "ab_", "a(1,3)+_", "/tmp/my-settings_1", file, "42", alt, "4a", alt,
      "5", "d(1,9)x|zz", "roots", "!(root)"};
  // clang-format on
  for (size_t i = 0; i < std::size(valid); i += 2)
    EXPECT_EQ(Check(valid[i], valid[i + 1]), "[[0]]") << valid[i];
  // clang-format off
  const struct { std::string entry; const char* rule; int code; std::string message; } invalid[] = {
      {"11", "d(1,10)", 1, "This number must be between 1 to 10."},
      {"x", "d(1,5)", 1, "This number must be between 1 to 5."},
      {"99999999999999999999", "d(1,5)", 1, "This number must be between 1 to 5."},
      {"10.50", "d(1,10)d(1,9)", 1, "This number must be between 1 to 9."},
      {"1ff", "x(0,255)", 1, "This number must be between 0 to ff."},
      {"12.5", "f(0.5,10.9)", 1, "This number must be between 0 to 10."},
      {"abcdefghij", alt, 1, "This number must be between 1 to 99."},
      {"a", "t(2,4)", 2, "This text length must be from 2 to 4 characters long."},
      {"/" + std::string(255, 'a'), file, 2, "This text length must be from 1 to 255 characters long."},
      {"1,5", "f(0,10)", 3, "Invalid character ','\nThis text may contain \"0123456789.\""},
      {"a1", "a(1,3)+_", 3, "Invalid character '1'\nThis text may contain \"abc..zABC..Z_\""},
      {"a-b", "A(2,3)", 3, "Invalid character '-'\nThis text may contain \"abc..zABC..Z012..9\""},
      {"/tmp/a.b", file, 3, "Invalid character '.'\nThis text may contain \"abc..zABC..Z012..9-_/\""},
      {"tmp/x", file, 3, "Invalid character t\n/ was expected after \"\""},
      {"pqx", "pq-", 3, "Invalid character x\n- was expected after \"pq\""},
      {"root", "!(root)", 4, "Invalid entry \"root\""},
      {"a)b", "!(a\\)b)", 4, "Invalid entry \"a)b\""}};
  // clang-format on
  for (const auto& c : invalid)
    EXPECT_EQ(Check(c.entry, c.rule),
              c.message + "\nPress <Return> to continue [[" + std::to_string(c.code) + "]]")
        << c.entry << " " << c.rule;
}

TEST(EntryValidation, TestName) {
  const std::string out = RunScripted("\n", [] {
                            printf("[[%d %d]]", TestName("good_name-1"), TestName(""));
                            printf("[[%d]]", TestName("bad name"));
                          }).out;
  EXPECT_EQ(out,
            "[[1 1]]\n' ' is not a valid name character. \nOnly alphanumeric character, "
            "'-', and '_' are valid: \nPress <Return> to continue[[0]]");
}

int g_applied = 0;

// A top menu with a sub-menu, both initialised.
struct SettingsMenus {
  TextMenuItem subItems[3] = {
      Entry("Count", TM_INT, "Count", nullptr),
      Item("Apply", TM_APPLY, [](TextMenu*, TextMenuItem*) { return (g_applied++, 0); }), End()};
  TextMenu sub = Menu("Sub", subItems, 0);
  TextMenuItem items[6] = {Choice("Mode", "No,Yes", 0), Entry("Name", TM_NAME, "Name", nullptr),
                           Item("Act", TM_ACTION), Item("More", TM_SUBMENU),
                           Entry("Scale", TM_FLOAT, "Scale", nullptr), End()};
  TextMenu menu = Menu("Top", items, 0);
  int map[TM_MAP_SIZE];
  SettingsMenus() {
    items[3].Value.Menu = &sub;
    InitMenu(&menu, map);
    InitMenu(&sub, map);
  }
  ~SettingsMenus() { FreeMenu(&menu), FreeMenu(&sub); }
};

TEST(Settings, LoadThenStore) {
  TestDir dir;
  const char* text = "0[1] 9\n1[lp1] 10\n4[1.500] 13\n3{\n0[42] 12\n}\n";
  // A round trip; the sub-menu's "}" runs its apply item. Text goes up to
  // the first blank; a stored kind is taken when it differs by the
  // disabled and hidden bits or is the other text kind, not another base
  // kind; no kind keeps the kind; items without a value, unknown items
  // and junk are passed over. "0{" on no sub-menu is a value line. A
  // block whose sub-menu is hidden is not opened: its lines go to the top
  // menu and its "}" ends the load.
  // clang-format off
  const struct { const char* load; bool hideSub; const char* stored; int applied; } rows[] = {
      {text, false, text, 1},
      {"1[printer one] 267\n0[1]\n4[2.25] 12\n2[5] 7\n77[1] 9\n-1[1] 9\njunk\n\n[]\n", false,
       "0[1] 9\n1[printer] 267\n4[2.250] 13\n3{\n0[0] 12\n}\n", 0},
      {"0[1] 265\n0{\n", false, "0[0] 265\n1[] 10\n4[0.000] 13\n3{\n0[0] 12\n}\n", 0},
      {"3{\n0[42] 12\n}\n0[1] 9\n", true, "0[42] 9\n1[] 10\n4[0.000] 13\n", 0}};
  // clang-format on
  for (const auto& row : rows) {
    SettingsMenus m;
    if (row.hideSub) m.items[3].Kind |= TM_HIDDEN;
    g_applied = 0;
    ASSERT_EQ(OpenInputFile(dir.Write("in", row.load).c_str(), 1), 1);
    LoadMenu(&m.menu);
    CloseInputFile();
    pOut = fopen((dir / "out").c_str(), "w");
    StoreMenu(&m.menu);
    fclose(pOut);
    pOut = nullptr;
    EXPECT_EQ(ReadText(dir / "out"), row.stored) << row.load;
    EXPECT_EQ(g_applied, row.applied) << row.load;
  }
}

TEST(Settings, RunMenuWithSettingsFile) {
  TestDir dir;
  dir.Write("s", "0[1] 9\n");
  ScriptedRun r = RunScripted("", [&] {
    SettingsMenus m;
    m.menu.ApplyFn = [](TextMenu* menu) {
      return (printf("[[apply %d]]", static_cast<int>(menu->pItems[0].Value.Int)), 0);
    };
    m.items[2].Kind = TM_LOADFAIL;
    m.items[2].Handler = [](TextMenu*, TextMenuItem*) { return (printf("[[loadfail]]"), 0); };
    RunMenu(&m.menu, (dir / "s").c_str(), 0);
    RunMenu(&m.menu, (dir / "missing").c_str(), 1);
    printf("[[in %s]]", pIn ? "open" : "closed");
  });
  EXPECT_EQ(r.out, "[[apply 1]][[loadfail]][[in closed]]");
  EXPECT_EQ(r.err, "WARNING: can't open file, " + (dir / "missing") + "\n");
}

TEST(Settings, StoreKeys) {
  TestDir dir;
  // A name refused by the file-name rule stores nothing; with
  // store-and-exit alone, s stores to ./.settings and ends the program.
  const std::string stored = "0[0] 9\n1[] 10\n4[0.000] 13\n3{\n0[0] 12\n}\n";
  // The name rule refuses the "." of the scratch path: the name goes
  // through the working directory.
  ScriptedRun r = RunScripted("s\n/proc/self/cwd/set\ns\nno/slash\n\n~\ne\n", [&] {
    if (chdir(dir.path().c_str()) != 0) return;
    SettingsMenus m;
    m.items[2] = Item("~e Exit", TM_EXIT);
    m.menu.Flags = TMF_STOREASK | TMF_STOREEXIT | TMF_NORETURN | TMF_COMPACT;
    RunMenu(&m.menu, nullptr, 1);
  });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Count(r.out, "Enter the settings file name: "), 2) << r.out << r.err;
  EXPECT_EQ(Count(r.out, "Invalid character n\n/ was expected after \"\""), 1);
  EXPECT_EQ(ReadText(dir / "set"), stored);
  r = RunScripted("1\ns\n", [&] {
    if (chdir(dir.path().c_str()) != 0) return;
    SettingsMenus m;
    m.menu.Flags = TMF_STOREEXIT | TMF_NORETURN;
    RunMenu(&m.menu, nullptr, 1);
    printf("[[not reached]]");
  });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Markers(r.out), "");
  EXPECT_EQ(ReadText(dir / ".settings"), "0[1]" + stored.substr(4));
}

}  // namespace
