#include <gtest/gtest.h>

#include <cstdio>

#include "textmenu/MenuHarness.h"
#include "textmenu/textmenu.h"

namespace {

// Draws the menu once, as the loop does, and returns the screen.
std::string Draw(TextMenu* menu) {
  return RunScripted("", [menu] {
           int map[TM_MAP_SIZE];
           int longest = InitMenu(menu, map);
           int count = PrintMenu(menu, longest, static_cast<int>(strcspn(menu->pTitle, "\n\r")));
           printf("[[%d]]", count);
         }).out;
}

TEST(MenuDisplay, TitleStyles) {
  TextMenuItem items[] = {End()};
  TextMenu menu = Menu("Install Print Driver and Utilities", items, TMF_NORETURN);
  EXPECT_EQ(Draw(&menu), "\f\n" + std::string(23, ' ') + "Install Print Driver and Utilities\n\nEnter option: [[0]]");
  menu.TitleStyle = 0;
  EXPECT_EQ(Draw(&menu), "\f\nInstall Print Driver and Utilities:\n\nEnter option: [[0]]");
  menu.TitleStyle = 2;
  EXPECT_EQ(Draw(&menu), "\f\n" + std::string(46, ' ') + "Install Print Driver and Utilities\n\nEnter option: [[0]]");
  menu.TitleStyle = 3;
  EXPECT_EQ(Draw(&menu), "Enter option: [[0]]");
  // Only the first line is measured; the whole title is printed.
  menu.TitleStyle = 1;
  menu.pTitle = "Head\nsecond line";
  EXPECT_EQ(Draw(&menu), "\f\n" + std::string(38, ' ') + "Head\nsecond line\n\nEnter option: [[0]]");
  // Wider than the screen: no leading blanks in styles 1 and 2.
  const std::string wide(81, 'w');
  menu.pTitle = wide.c_str();
  EXPECT_EQ(Draw(&menu), "\f\n" + wide + "\n\nEnter option: [[0]]");
  menu.TitleStyle = 2;
  EXPECT_EQ(Draw(&menu), "\f\n" + wide + "\n\nEnter option: [[0]]");
}

TEST(MenuDisplay, PromptVariants) {
  TextMenuItem items[] = {End()};
  TextMenu menu = Menu("T", items, 0);
  menu.TitleStyle = 3;
  EXPECT_EQ(Draw(&menu), "Enter option or <Return> to exit: [[0]]");
  menu.Flags = TMF_STOREASK | TMF_HELP;
  EXPECT_EQ(Draw(&menu), "Enter option or s for store settings in a file or h for help or <Return> to exit: [[0]]");
  menu.Flags = TMF_STOREEXIT | TMF_NORETURN;
  EXPECT_EQ(Draw(&menu), "Enter option or s for store settings in a file: [[0]]");
}

TEST(MenuDisplay, HiddenDisabledAndValues) {
  static TextMenuItem subItems[] = {End()};
  static TextMenu sub = Menu("Printer options", subItems, 0);
  TextMenuItem items[] = {
      Item("Plain text", TM_TEXT),
      Item("First", TM_ACTION),                      // 1
      Item("Secret", TM_ACTION | TM_HIDDEN),         // 2, not shown
      Choice("Mode", "No,Yes", 1),                   // 3
      Entry("Name", TM_NAME, "Name", nullptr),       // 4
      Entry("Copies", TM_INT, "Copies", nullptr),    // 5
      Entry("Scale", TM_FLOAT, "Scale", nullptr),    // 6
      Entry("Offset", TM_FLOAT | TM_DISABLED, "Offset", nullptr),  // 7
      Item("Options", TM_SUBMENU),                   // 8: shows the sub-menu's title
      Item("Gone", TM_SUBMENU),                      // 9: no sub-menu, no line
      Item("~q Quit", TM_EXIT),                      // 10
      Item("Spare", TM_BLANK),                       // shows the counter as it stands
      End(),
  };
  items[4].Default.Text = "lp1";
  items[5].Default.Int = 42;
  items[6].Default.Float = 1.5f;
  items[7].Default.Float = 2.25f;
  items[8].Value.Menu = &sub;
  TextMenu menu = Menu("V", items, TMF_COMPACT);
  menu.TitleStyle = 3;
  EXPECT_EQ(Draw(&menu),
            "Plain text \n"
            " 1) First \n"
            " 3) Mode ...... [2. Yes]\n"
            " 4) Name ...... [lp1]\n"
            " 5) Copies .... [42]\n"
            " 6) Scale ..... [1.500]\n"
            "    Offset .... [2.250]\n"
            " 8) Printer options \n"
            " q) Quit \n"
            "10) Spare \n"
            "Enter option or <Return> to exit: [[10]]");
}

TEST(MenuDisplay, BarsInColumns) {
  TextMenuItem items[] = {
      Item("Page text", TM_TEXT),
      Bar(TM_BAR, 3),
      Item("First link", TM_ACTION),
      Item("Second link", TM_ACTION),
      Item("Third link", TM_ACTION),
      Item("Fourth link", TM_ACTION),
      Bar(TM_BAR, 3),
      Bar(TM_BAR, 3),
      Item("~e Exit Help", TM_EXIT),
      Item("~c Contents", TM_ACTION),
      Item("~b Back", TM_ACTION),
      End(),
  };
  TextMenu menu = Menu("Help", items, TMF_NORETURN);
  menu.TitleStyle = 3;
  const std::string pad10(10, ' '), pad11(11, ' ');
  EXPECT_EQ(Draw(&menu),
            "Page text \n\n"
            " 1) First link" + pad11 + " 2) Second link" + pad10 + " 3) Third link" + pad11 +
                "\n 4) Fourth link" + pad10 + "\n\n"
                " e) Exit Help" + std::string(12, ' ') + " c) Contents" + std::string(13, ' ') + " b) Back" +
                std::string(17, ' ') + "\n\nEnter option: [[7]]");
  // A long name starts a new row and, longer than the column less the
  // column count, ends its row too.
  TextMenuItem longItems[] = {
      Bar(TM_BAR, 3), Item("First link", TM_ACTION), Item("A rather long link name!", TM_ACTION),
      Item("Next", TM_ACTION), End(),
  };
  TextMenu longMenu = Menu("Help", longItems, TMF_NORETURN | TMF_COMPACT);
  longMenu.TitleStyle = 3;
  EXPECT_EQ(Draw(&longMenu), " 1) First link" + pad11 + "\n 2) A rather long link name! \n 3) Next" +
                                 std::string(17, ' ') + "\nEnter option: [[3]]");
}

TEST(MenuDisplay, TextBarTakesFollowingTextLines) {
  TextMenuItem items[] = {
      Bar(TM_TEXTBAR, 2), Item("one", TM_TEXT), Item("two", TM_TEXT), Item("Go", TM_ACTION), End(),
  };
  TextMenu menu = Menu("T", items, TMF_NORETURN | TMF_COMPACT);
  menu.TitleStyle = 3;
  EXPECT_EQ(Draw(&menu), "\n\n\n 1) Go \nEnter option: [[1]]");
}

TEST(MenuDisplay, NumbersStopAtTheMapSize) {
  std::vector<TextMenuItem> items;
  std::vector<std::string> names;
  for (int i = 1; i <= 100; i++) names.push_back("I" + std::to_string(i));
  for (auto& n : names) items.push_back(Item(n.c_str(), TM_ACTION));
  items.push_back(End());
  TextMenu menu = Menu("Many", items.data(), TMF_NORETURN | TMF_COMPACT);
  menu.TitleStyle = 3;
  std::string screen = Draw(&menu);
  EXPECT_NE(screen.find("98) I98 \n    I99 \n    I100 \nEnter option: [[98]]"), std::string::npos);
  ScriptedRun r = RunScripted("99\n98\n", [&] {
    int map[TM_MAP_SIZE];
    InitMenu(&menu, map);
    for (int k = 0; k < 2; k++) {
      PrintMenu(&menu, 4, 4);
      if (fgets(LineBuf, sizeof LineBuf, stdin)) printf("[[%d]]", FindSelection(&menu, map, 100));
    }
    printf("[[%d %d]]", map[98], map[99]);
  });
  EXPECT_EQ(Markers(r.out), "0 98 97 -1");
}

}  // namespace
