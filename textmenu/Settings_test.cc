#include <unistd.h>

#include "textmenu/MenuHarness.h"
#include "utils/utils.h"

namespace {

int g_applied = 0;

// A top menu with a sub-menu, both initialised.
struct SettingsMenus {
  TextMenuItem subItems[3] = {
      Entry("Count", TM_INT, "Count", nullptr),
      Item("Apply", TM_APPLY, [](TextMenu*, TextMenuItem*) { return (g_applied++, 0); }), End()};
  TextMenu sub = Menu("Sub", subItems, 0);
  TextMenuItem items[6] = {Choice("Mode", "No,Yes", 0),
                           Entry("Name", TM_NAME, "Name", nullptr),
                           Item("Act", TM_ACTION),
                           Item("More", TM_SUBMENU),
                           Entry("Scale", TM_FLOAT, "Scale", nullptr),
                           End()};
  TextMenu menu = Menu("Top", items, 0);
  int map[TM_MAP_SIZE];
  SettingsMenus() {
    items[3].Value.Menu = &sub;
    InitMenu(&menu, map);
    InitMenu(&sub, map);
  }
  ~SettingsMenus() {
    FreeMenu(&menu);
    FreeMenu(&sub);
  }
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
