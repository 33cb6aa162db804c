#include "textmenu/MenuHarness.h"

namespace {

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
