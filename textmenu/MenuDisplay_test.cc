#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "textmenu/MenuHarness.h"

namespace {

TEST(MenuDisplay, TitleStylesAndPrompts) {
  const std::string main = "Install Print Driver and Utilities", wide(81, 'w');
  const std::string tail = "\n\nEnter option: [[0]]";
  const std::string store = "Enter option or s for store settings in a file";
  const uint16_t nr = TMF_NORETURN, ask = TMF_STOREASK | TMF_HELP, storeExit = TMF_STOREEXIT | nr;
  // Only the first line is measured; wider than the screen: no blanks.
  // clang-format off
  const struct { std::string title; int style; uint16_t flags; std::string screen; } cases[] = {
      {main, 1, nr, "\f\n" + std::string(23, ' ') + main + tail},
      {main, 0, nr, "\f\n" + main + ":" + tail},
      {main, 2, nr, "\f\n" + std::string(46, ' ') + main + tail},
      {main, 3, nr, "Enter option: [[0]]"},
      {"Head\nsecond line", 1, nr, "\f\n" + std::string(38, ' ') + "Head\nsecond line" + tail},
      {wide, 1, nr, "\f\n" + wide + tail},
      {wide, 2, nr, "\f\n" + wide + tail},
      {"T", 3, 0, "Enter option or <Return> to exit: [[0]]"},
      {"T", 3, ask, store + " or h for help or <Return> to exit: [[0]]"},
      {"T", 3, storeExit, store + ": [[0]]"},
  };
  // clang-format on
  TextMenuItem items[] = {End()};
  for (const auto& c : cases) {
    TextMenu menu = Menu(c.title.c_str(), items, c.flags, c.style);
    EXPECT_EQ(Draw(&menu), c.screen) << c.style << " " << c.flags;
  }
}

TEST(MenuDisplay, HiddenDisabledAndValues) {
  static TextMenuItem subItems[] = {End()};
  static TextMenu sub = Menu("Printer options", subItems, 0);
  // Hidden 2 gets no line, disabled 7 no number; 8 shows its sub-menu's
  // title, 9 has none and no line; the blank item shows the count so far.
  // clang-format off
  TextMenuItem items[] = {
      Item("Plain text", TM_TEXT), Item("First", TM_ACTION), Item("Secret", TM_ACTION | TM_HIDDEN),
      Choice("Mode", szNoYes, 1), Entry("Name", TM_NAME, "Name", nullptr),
      Entry("Copies", TM_INT, "Copies", nullptr), Entry("Scale", TM_FLOAT, "Scale", nullptr),
      Entry("Offset", TM_FLOAT | TM_DISABLED, "Offset", nullptr), Item("Options", TM_SUBMENU),
      Item("Gone", TM_SUBMENU), Item("~q Quit", TM_EXIT), Item("Spare", TM_BLANK),
      Choice("Log", szDisabledEnabled, 0), End()};
  // clang-format on
  items[4].Default.Text = "lp1";
  items[5].Default.Int = 42;
  items[6].Default.Float = 1.5f;
  items[7].Default.Float = 2.25f;
  items[8].Value.Menu = &sub;
  TextMenu menu = Menu("V", items, TMF_COMPACT, 3);
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
            "11) Log ....... [1. disabled]\n"
            "Enter option or <Return> to exit: [[11]]");
}

TEST(MenuDisplay, BarsInColumns) {
  // clang-format off
  TextMenuItem items[] = {
      Item("Page text", TM_TEXT), Bar(TM_BAR, 3), Item("First link", TM_ACTION),
      Item("Second link", TM_ACTION), Item("Third link", TM_ACTION), Item("Fourth link", TM_ACTION),
      Bar(TM_BAR, 3), Bar(TM_BAR, 3), Item("~e Exit Help", TM_EXIT), Item("~c Contents", TM_ACTION),
      Item("~b Back", TM_ACTION), End()};
  // clang-format on
  auto pad = [](int n) { return std::string(n, ' '); };
  // A long name starts a new row and, longer than the column less the
  // column count, ends its row too. A text bar takes the text lines after it.
  TextMenuItem longItems[] = {Bar(TM_BAR, 3), Item("First link", TM_ACTION),
                              Item("A rather long link name!", TM_ACTION), Item("Next", TM_ACTION),
                              End()};
  // A letter cell too long for its column is padded left-justified by the
  // overflow, as printf does with a negative width.
  TextMenuItem longLetter[] = {Bar(TM_BAR, 3), Item("~z A very long letter item name here", TM_EXIT),
                               End()};
  TextMenuItem textItems[] = {Bar(TM_TEXTBAR, 2), Item("one", TM_TEXT), Item("two", TM_TEXT),
                              Item("Go", TM_ACTION), End()};
  // Text and blank cells of a bar show no number and use none up.
  TextMenuItem unnumbered[] = {Bar(TM_BAR, 3), Item("A", TM_ACTION), Item("Note", TM_TEXT),
                               Item("", TM_BLANK), Item("Bee", TM_ACTION), End()};
  const std::pair<TextMenuItem*, std::string> screens[] = {
      {items, "Page text \n\n 1) First link" + pad(11) + " 2) Second link" + pad(10) +
                  " 3) Third link" + pad(11) + "\n 4) Fourth link" + pad(10) + "\n\n e) Exit Help" +
                  pad(12) + " c) Contents" + pad(13) + " b) Back" + pad(17) +
                  "\n\nEnter option: [[7]]"},
      {longItems, " 1) First link" + pad(11) + "\n 2) A rather long link name! \n 3) Next" +
                      pad(17) + "\nEnter option: [[3]]"},
      {longLetter, " z) A very long letter item name here" + pad(14) + "\n\nEnter option: [[1]]"},
      {textItems, "\n\n\n 1) Go \nEnter option: [[1]]"},
      {unnumbered, " 1) A" + pad(20) + "    Note" + pad(17) + "    " + pad(21) + "\n 2) Bee" +
                       pad(18) + "\nEnter option: [[2]]"}};
  for (const auto& [list, screen] : screens) {
    TextMenu menu = Menu("Help", list, TMF_NORETURN | (list == items ? 0 : TMF_COMPACT), 3);
    EXPECT_EQ(Draw(&menu), screen);
  }
}

TEST(MenuDisplay, NumbersStopAtTheMapSize) {
  static TextMenuItem subItems[] = {End()};
  static TextMenu sub = Menu("Sub", subItems, 0);
  std::vector<std::string> names(100);
  std::vector<TextMenuItem> items(101);  // the last one ends the list
  for (int i = 0; i < 100; i++)
    items[i] = Item((names[i] = "I" + std::to_string(i + 1)).c_str(), TM_ACTION);
  // Past 98 a sub-menu item too goes without a number.
  items[98].Kind = TM_SUBMENU;
  items[98].Value.Menu = &sub;
  TextMenu menu = Menu("Many", items.data(), TMF_NORETURN | TMF_COMPACT, 3);
  EXPECT_NE(Draw(&menu).find("98) I98 \n    Sub \n    I100 \nEnter option: [[98]]"),
            std::string::npos);
  int map[TM_MAP_SIZE];
  InitMenu(&menu, map);
  EXPECT_EQ(map[98], 97);
  EXPECT_EQ(map[99], -1);
  // The last number shown is chosen; past it, or past the map, nothing.
  const struct {
    const char* line;
    int count, want;
  } picks[] = {{"99", 100, 0}, {"98", 100, 98}, {"98", 98, 98},
               {"99", 98, 0},  {"1", 98, 1},    {"0", 98, 0}};
  for (const auto& p : picks) {
    strcpy(LineBuf, p.line);
    EXPECT_EQ(FindSelection(&menu, map, p.count), p.want) << p.line << " " << p.count;
  }
  FreeMenu(&menu);
}

}  // namespace
