#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

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
  ~SettingsMenus() {
    FreeMenu(&menu);
    FreeMenu(&sub);
  }
  void Load(const std::string& path, const std::string& text) {
    WriteWholeFile(path, text);
    ASSERT_EQ(OpenInputFile(path.c_str(), 1), 1);
    LoadMenu(&menu);
    CloseInputFile();
  }
  std::string Store(const std::string& path) {
    pOut = fopen(path.c_str(), "w");
    StoreMenu(&menu);
    fclose(pOut);
    pOut = nullptr;
    return ReadWholeFile(path);
  }
};

TEST(Settings, StoreAndLoad) {
  ScratchDir dir;
  SettingsMenus m, fresh, odd;
  m.items[0].Value.Int = 1;
  strcpy(m.items[1].Value.Buf, "lp1");
  m.items[4].Value.Float = 1.5f;
  m.subItems[0].Value.Int = 42;
  const std::string text = m.Store(dir.File("s"));
  EXPECT_EQ(text, "0[1] 9\n1[lp1] 10\n4[1.500] 13\n3{\n0[42] 12\n}\n");
  g_applied = 0;
  fresh.Load(dir.File("s"), text);
  EXPECT_EQ(g_applied, 1);  // the sub-menu's "}" runs its apply item
  EXPECT_EQ(fresh.Store(dir.File("t")), text);

  // Odd lines in a file: stored kinds, unknown items, junk.
  g_applied = 0;
  odd.Load(dir.File("s"),
           "1[printer one] 267\n"  // text up to the first blank; disabled, the other text kind
           "0[1]\n"                // no kind: the kind stays
           "4[2.25] 12\n"          // another base kind is not taken
           "2[5] 7\n"              // an item without a value
           "77[1] 9\n-1[1] 9\n"    // no such items
           "junk\n\n[]\n"
           "0{\n"                  // not a sub-menu: read as a value line
           "0[1] 777\n");          // disabled and hidden
  EXPECT_EQ(odd.items[0].Kind, 777);
  odd.items[0].Kind = TM_CHOICE;
  EXPECT_EQ(odd.Store(dir.File("t")), "0[1] 9\n1[printer] 267\n4[2.250] 13\n3{\n0[0] 12\n}\n");
  EXPECT_EQ(odd.items[2].Kind, TM_ACTION);
  EXPECT_EQ(g_applied, 0);
  // A block whose sub-menu is hidden is not opened: its lines go to the
  // top menu, and its "}" ends the load.
  odd.items[3].Kind = TM_SUBMENU | TM_HIDDEN;
  odd.Load(dir.File("s"), "3{\n0[42] 12\n}\n0[1] 9\n");
  EXPECT_EQ(odd.subItems[0].Value.Int, 0);
  EXPECT_EQ(odd.items[0].Value.Int, 42);
}

TEST(Settings, RunMenuWithSettingsFile) {
  ScratchDir dir;
  WriteWholeFile(dir.File("s"), "0[1] 9\n");
  ScriptedRun r = RunScripted("", [&] {
    SettingsMenus m;
    m.menu.ApplyFn = [](TextMenu* menu) {
      return (printf("[[apply %d]]", static_cast<int>(menu->pItems[0].Value.Int)), 0);
    };
    m.items[2].Kind = TM_LOADFAIL;
    m.items[2].Handler = [](TextMenu*, TextMenuItem*) { return (printf("[[loadfail]]"), 0); };
    RunMenu(&m.menu, dir.File("s").c_str(), 0);
    RunMenu(&m.menu, dir.File("missing").c_str(), 1);
    printf("[[in %s]]", pIn ? "open" : "closed");
  });
  EXPECT_EQ(r.out, "[[apply 1]][[loadfail]][[in closed]]");
  EXPECT_EQ(r.err, "WARNING: can't open file, " + dir.File("missing") + "\n");
}

TEST(Settings, StoreKeys) {
  ScratchDir dir;
  ScriptedRun r = RunScripted("s\n" + dir.File("set") + "\ns\nno/slash\n\n~\ne\n", [&] {
    SettingsMenus m;
    m.items[2] = Item("~e Exit", TM_EXIT);
    m.menu.Flags = TMF_STOREASK | TMF_STOREEXIT | TMF_NORETURN | TMF_COMPACT;
    RunMenu(&m.menu, nullptr, 1);
  });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Count(r.out, "Enter the settings file name: "), 2) << r.out << r.err;
  EXPECT_EQ(Count(r.out, "Invalid character n\n/ was expected after \"\""), 1);
  const std::string stored = "0[0] 9\n1[] 10\n4[0.000] 13\n3{\n0[0] 12\n}\n";
  EXPECT_EQ(ReadWholeFile(dir.File("set")), stored);
  // With store-and-exit alone, s stores to ./.settings and ends the program.
  r = RunScripted("1\ns\n", [&] {
    if (chdir(dir.path().c_str()) != 0) return;
    SettingsMenus m;
    m.menu.Flags = TMF_STOREEXIT | TMF_NORETURN;
    RunMenu(&m.menu, nullptr, 1);
    printf("[[not reached]]");
  });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Markers(r.out), "");
  EXPECT_EQ(ReadWholeFile(dir.File(".settings")), "0[1]" + stored.substr(4));
}

}  // namespace
