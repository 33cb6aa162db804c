#include "textmenu/MenuHarness.h"

namespace {

TEST(MenuDisplay, TitleStylesAndPrompts) {
  const std::string main = "Install Print Driver and Utilities", wide(81, 'w');
  const std::string store = "Enter option or s for store settings in a file";
  // Wider than the screen: no blanks before it.
  // clang-format off
  const struct { std::string title; int style; uint16_t flags; std::string screen; } cases[] = {
      {main, 1, TMF_NORETURN, "\f\n" + std::string(23, ' ') + main + "\n\nEnter option: [[0]]"},
      {wide, 1, TMF_NORETURN, "\f\n" + wide + "\n\nEnter option: [[0]]"},
      {"T", 0, 0, "\f\nT:\n\nEnter option or <Return> to exit: [[0]]"},
      {"T", 2, TMF_STOREASK | TMF_HELP,
       "\f\n" + std::string(79, ' ') + "T\n\n" + store + " or h for help or <Return> to exit: [[0]]"},
      {"T", 3, TMF_STOREEXIT | TMF_NORETURN, store + ": [[0]]"}};
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
      Item("Gone", TM_SUBMENU), Item("~q Quit", TM_EXIT), Item("Spare", TM_BLANK), End()};
  // clang-format on
  items[4].Default.Text = "lp1";
  items[5].Default.Int = 42;
  items[6].Default.Float = 1.5f;
  items[7].Default.Float = 2.25f;
  items[8].Value.Menu = &sub;
  TextMenu menu = Menu("V", items, TMF_COMPACT, 3);
  EXPECT_EQ(
      Draw(&menu),
      "Plain text \n 1) First \n 3) Mode ...... [2. Yes]\n 4) Name ...... [lp1]\n"
      " 5) Copies .... [42]\n 6) Scale ..... [1.500]\n    Offset .... [2.250]\n"
      " 8) Printer options \n q) Quit \n10) Spare \nEnter option or <Return> to exit: [[10]]");
}

TEST(MenuDisplay, BarsInColumns) {
  // A text bar takes the text lines after it. In a bar a long name starts
  // a new row and, longer than the column less the column count, ends its
  // row too; a letter cell too long for its column is padded by the
  // overflow, as printf does with a negative width; text and blank cells
  // show no number and use none up.
  // clang-format off
  TextMenuItem items[] = {
      Bar(TM_TEXTBAR, 2), Item("one", TM_TEXT), Item("two", TM_TEXT), Bar(TM_BAR, 3),
      Item("First link", TM_ACTION), Item("A rather long link name!", TM_ACTION),
      Item("Next", TM_ACTION), Item("Note", TM_TEXT), Item("", TM_BLANK), Item("Bee", TM_ACTION),
      Item("~z A very long letter item name here", TM_EXIT), End()};
  // clang-format on
  TextMenu menu = Menu("Help", items, TMF_NORETURN | TMF_COMPACT, 3);
  auto pad = [](int n) { return std::string(n, ' '); };
  EXPECT_EQ(Draw(&menu),
            "\n\n\n 1) First link" + pad(11) + "\n 2) A rather long link name! \n 3) Next" +
                pad(21) + "Note" + pad(42) + "\n 4) Bee" + pad(18) +
                "\n z) A very long letter item name here" + pad(14) + "\n\nEnter option: [[5]]");
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
  } picks[] = {{"99", 100, 0}, {"98", 98, 98}};
  for (const auto& p : picks) {
    strcpy(LineBuf, p.line);
    EXPECT_EQ(FindSelection(&menu, map, p.count), p.want) << p.line << " " << p.count;
  }
  FreeMenu(&menu);
}

}  // namespace
