// What a menu draws, and the item states its formats and conditions set.
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

TEST(ItemStates, TestFormatState) {
  // A star after the first position is passed over. Only the first
  // number carries a sign, and matches only with it; a later "-" separates.
  // clang-format off
  const struct { const char* list; int value; int want; } cases[] = {
      {"", 0, 0}, {nullptr, 0, 0}, {"*", -7, 1}, {"2*", 5, 0}, {"12", 1, 0}, {"-1/3", 3, 1},
      {"-1/3", -1, 1}, {"-1/3", 1, 0}, {"1-2", 2, 1}, {"1-2", -2, 0}, {"-", 0, 0}};
  // clang-format on
  for (const auto& c : cases)
    EXPECT_EQ(TestFormatState(c.list, c.value), c.want) << (c.list ? c.list : "(none)") << c.value;
}

TEST(ItemStates, DisableHidePresetAndNested) {
  // clang-format off
  TextMenuItem items[] = {
      Item("Text", TM_TEXT), Item("Act", TM_ACTION), Entry("Name", TM_NAME, "Name", nullptr),
      Choice("Switch", "No,Yes", 0, "P1{8} N0{4,5} H*{6} S1{7.2} S1{2.9} N*{99}"),
      Entry("Four", TM_INT, "Four", nullptr), Entry("Five", TM_INT, "Five", nullptr),
      Item("Six", TM_ACTION), Entry("Seven", TM_INT, "Seven", nullptr),
      Choice("Inner", "a,b", 0, "H*{9} P*{8}"), Item("Nine", TM_ACTION), End()};
  // clang-format on
  items[7].Default.Int = 5;
  TextMenu menu = Menu("S", items, TMF_NORETURN);
  int map[TM_MAP_SIZE];
  InitMenu(&menu, map);
  // Items 4 to 6 and 9 as N (disabled) and H (hidden) marks, then item
  // 7's value and saved value.
  auto state = [&] {
    std::string s;
    for (int i : {4, 5, 6, 9})
      s += std::string(items[i].Kind & TM_DISABLED ? "N" : "-") +
           (items[i].Kind & TM_HIDDEN ? "H " : "- ");
    return s + std::to_string(items[7].Value.Int) + "/" + std::to_string(items[7].SavedValue);
  };
  EXPECT_EQ(state(), "N- N- -H -H 5/-1");
  // Stepping the choice to 1 enables 4 and 5 and presets 7; the text item
  // keeps its buffer (S puts no number there). Inner's format, run by P,
  // runs itself: that ends, and the outer scan goes on after it.
  items[9].Kind = TM_ACTION;
  EXPECT_EQ(ProcessSelection(&menu, 3), 1);
  EXPECT_EQ(state(), "-- -- -H -H 2/5");
  EXPECT_STREQ(items[2].Value.Buf, "");
  // Back to 0: the saved value is kept unless it equals the preset.
  EXPECT_EQ(ProcessSelection(&menu, 3), 1);
  EXPECT_EQ(state(), "N- N- -H -H 2/5");
  items[7].SavedValue = 2;
  items[7].Value.Int = 3;
  ProcessStateFormat(&menu, 3);
  EXPECT_EQ(state(), "N- N- -H -H 2/-1");
  // A disabled choice changes nothing.
  items[3].Kind |= TM_DISABLED;
  items[3].Value.Int = 1;
  ProcessStateFormat(&menu, 3);
  EXPECT_EQ(state(), "N- N- -H -H 2/-1");
  FreeMenu(&menu);
}

TEST(ItemStates, PresetsHoldOnTheFirstScreen) {
  // A later choice's default must not undo a preset made on it; its own
  // format then runs with the preset value.
  TextMenuItem items[] = {Choice("Switch", szNoYes, 1, "S1{1.1}"),
                          Choice("Log", szDisabledEnabled, 0, "N1{2}"), Item("Rotate", TM_ACTION),
                          End()};
  TextMenu menu = Menu("S", items, TMF_NORETURN | TMF_COMPACT, 3);
  EXPECT_EQ(Draw(&menu),
            " 1) Switch  [2. Yes]\n 2) Log ... [2. enabled]\n    Rotate \n"
            "Enter option: [[3]]");
}

TEST(ItemStates, ConditionsAndSubMenus) {
  static TextMenuItem none[] = {End()};
  static TextMenu first = Menu("First", none, 0), second = Menu("Second", none, 0);
  static TextMenu* subs[] = {&first, &second};
  TextMenuItem items[] = {
      Item("T", TM_TEXT),        Item("Open", TM_SUBMENU),           Choice("Two", "a,b,c", 0),
      Choice("Three", "a,b", 0), Entry("Four", TM_INT, "", nullptr), End()};
  items[1].pRule = "2.0  2.1";
  items[1].Value.Menus = subs;
  items[4].Value.Int = 1;
  TextMenu menu = Menu("C", items, 0);
  // Left to right without precedence; an unmatched ")" is passed over;
  // terms naming no item are false. A disabled item's term is true only
  // with the A suffix or alone. The sub-menu is the one of the first
  // condition that holds.
  // clang-format off
  const struct { int two, three, four; const char* cond; int want; TextMenu* sub; } cases[] = {
      {0, 0, TM_INT, "2.0|2.1&3.1", 0, &first}, {0, 0, TM_INT, "2.0)", 1, &first},
      {0, 0, TM_INT, "", 0, &first}, {1, 1, TM_INT, "!2.0&3.1", 1, &second},
      {2, 1, TM_INT, "!(2.0|2.1)", 1, nullptr}, {2, 1, TM_INT, "((((2.2", 1, nullptr},
      {2, 1, TM_INT, "9.0|-1.0|x", 0, nullptr}, {0, 0, TM_INT, "4.1A", 0, &first},
      {0, 0, TM_INT | TM_DISABLED, "4.1A", 1, &first}, {0, 0, TM_INT | TM_DISABLED, "4.1", 1, &first}};
  // clang-format on
  for (const auto& c : cases) {
    items[2].Value.Int = c.two;
    items[3].Value.Int = c.three;
    items[4].Kind = c.four;
    EXPECT_EQ(TestStateCondition(&menu, c.cond), c.want) << c.two << c.three << " " << c.cond;
    EXPECT_EQ(ValidateMenu(&menu, 1), c.sub) << c.two;
  }
  EXPECT_EQ(TestState(&menu, "4.1"), 2);
  EXPECT_EQ(TestState(&menu, "4.2"), 0);
  // Disabled, or not a sub-menu item: none.
  items[1].Kind = TM_SUBMENU | TM_DISABLED;
  for (int index : {1, 2, 40}) EXPECT_EQ(ValidateMenu(&menu, index), nullptr) << index;
}

}  // namespace
