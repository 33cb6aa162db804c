#include <gtest/gtest.h>

#include "textmenu/MenuHarness.h"

namespace {

TEST(ItemStates, TestFormatState) {
  // A star after the first position is passed over. Only the first
  // number carries a sign, and matches only with it; a later "-" separates.
  // clang-format off
  const struct { const char* list; int value; int want; } cases[] = {
      {"", 0, 0}, {nullptr, 0, 0}, {"*", -7, 1}, {"1/3", 3, 1}, {"1/3", 2, 0}, {"-2", -2, 1},
      {"2*", 5, 0}, {"12", 1, 0}, {"-1", 1, 0}, {"-12", 12, 0}, {"-1/3", 3, 1}, {"-1/3", -1, 1},
      {"-1/3", 1, 0}, {"1-2", 2, 1}, {"1-2", -2, 0}, {"-", 0, 0}};
  // clang-format on
  for (const auto& c : cases)
    EXPECT_EQ(TestFormatState(c.list, c.value), c.want) << (c.list ? c.list : "(none)") << c.value;
}

TEST(ItemStates, DisableHideAndPreset) {
  // clang-format off
  TextMenuItem items[] = {
      Item("Text", TM_TEXT), Item("Act", TM_ACTION), Entry("Name", TM_NAME, "Name", nullptr),
      Choice("Switch", "No,Yes", 0, "N0{4,5} H*{6} S1{7.2} S1{2.9} N*{99}"),
      Entry("Four", TM_INT, "Four", nullptr), Entry("Five", TM_INT, "Five", nullptr),
      Item("Six", TM_ACTION), Entry("Seven", TM_INT, "Seven", nullptr), End()};
  // clang-format on
  items[7].Default.Int = 5;
  TextMenu menu = Menu("S", items, TMF_NORETURN);
  int map[TM_MAP_SIZE];
  InitMenu(&menu, map);
  // Items 4 to 6 as N (disabled) and H (hidden) marks, then item 7's
  // value and saved value.
  auto state = [&] {
    std::string s;
    for (int i = 4; i <= 6; i++)
      s += std::string(items[i].Kind & TM_DISABLED ? "N" : "-") +
           (items[i].Kind & TM_HIDDEN ? "H " : "- ");
    return s + std::to_string(items[7].Value.Int) + "/" + std::to_string(items[7].SavedValue);
  };
  EXPECT_EQ(state(), "N- N- -H 5/-1");
  // Stepping the choice to 1 enables 4 and 5 and presets 7; the text item
  // keeps its buffer (S puts no number there).
  EXPECT_EQ(ProcessSelection(&menu, 3), 1);
  EXPECT_EQ(items[3].Value.Int, 1);
  EXPECT_EQ(state(), "-- -- -H 2/5");
  EXPECT_STREQ(items[2].Value.Buf, "");
  // Back to 0: the saved value is kept unless it equals the preset.
  EXPECT_EQ(ProcessSelection(&menu, 3), 1);
  EXPECT_EQ(state(), "N- N- -H 2/5");
  items[7].SavedValue = 2;
  items[7].Value.Int = 3;
  ProcessStateFormat(&menu, 3);
  EXPECT_EQ(state(), "N- N- -H 2/-1");
  // A disabled choice changes nothing.
  items[3].Kind |= TM_DISABLED;
  items[3].Value.Int = 1;
  ProcessStateFormat(&menu, 3);
  EXPECT_EQ(state(), "N- N- -H 2/-1");
  FreeMenu(&menu);
}

TEST(ItemStates, PresetsHoldOnTheFirstScreen) {
  // The preset item comes after the choice: its default must not undo
  // the preset, nor may a later choice's default undo one made on it.
  TextMenuItem items[] = {Choice("Switch", szNoYes, 1, "S1{1.2} S1{2.1}"),
                          Entry("Level", TM_INT, "Level", nullptr),
                          Choice("Log", szDisabledEnabled, 0, "N1{3}"), Item("Rotate", TM_ACTION),
                          End()};
  items[1].Default.Int = 5;
  TextMenu menu = Menu("S", items, TMF_NORETURN | TMF_COMPACT, 3);
  EXPECT_EQ(Draw(&menu),
            " 1) Switch  [2. Yes]\n"
            " 2) Level . [2]\n"
            " 3) Log ... [2. enabled]\n"
            "    Rotate \n"
            "Enter option: [[4]]");
  int map[TM_MAP_SIZE];
  InitMenu(&menu, map);
  EXPECT_EQ(items[1].SavedValue, 5);
  EXPECT_EQ(map[4], 3);  // the disabled item keeps its number
}

TEST(ItemStates, NestedFormatKeepsTheOuterScan) {
  // Item 4 runs itself through P: that must end.
  TextMenuItem items[] = {
      Choice("Outer", "a,b", 1, "P1{1} N1{3}"), Choice("Inner", "a,b", 0, "H*{2}"),
      Item("Two", TM_ACTION), Item("Three", TM_ACTION), Choice("Self", "a,b", 0, "P*{4} N*{2}"),
      End()};
  TextMenu menu = Menu("P", items, 0);
  items[0].Value.Int = 1;
  ProcessStateFormat(&menu, 0);
  EXPECT_EQ(items[2].Kind, TM_ACTION | TM_HIDDEN);    // by the inner format
  EXPECT_EQ(items[3].Kind, TM_ACTION | TM_DISABLED);  // the outer one went on
  ProcessStateFormat(&menu, 4);
  EXPECT_EQ(items[2].Kind, TM_ACTION | TM_HIDDEN | TM_DISABLED);
}

TEST(ItemStates, Conditions) {
  TextMenuItem items[] = {
      Item("T", TM_TEXT), Item("A", TM_ACTION), Choice("Two", "a,b,c", 0),
      Choice("Three", "a,b", 0), Entry("Four", TM_INT, "", nullptr), End()};
  TextMenu menu = Menu("C", items, 0);
  // Left to right without precedence; an unmatched ")" is passed over;
  // terms naming no item are false.
  // clang-format off
  const struct { int two, three; const char* cond; int want; } cases[] = {
      {0, 0, "2.0|2.1", 1}, {0, 0, "(2.0)", 1}, {0, 0, "!2.0&3.1", 0}, {0, 0, "2.0)", 1},
      {0, 0, "", 0}, {0, 0, "2.0|2.1&3.1", 0}, {0, 0, "3.1&(2.0|2.1)|2.0", 1},
      {1, 1, "2.0|2.1", 1}, {1, 1, "(2.0)", 0}, {1, 1, "!2.0&3.1", 1},
      {2, 1, "2.0|2.1", 0}, {2, 1, "!(2.0|2.1)", 1}, {2, 1, "((((2.2", 1},
      {2, 1, "9.0|-1.0|x", 0}};
  // clang-format on
  for (const auto& c : cases) {
    items[2].Value.Int = c.two;
    items[3].Value.Int = c.three;
    EXPECT_EQ(TestStateCondition(&menu, c.cond), c.want) << c.two << c.three << " " << c.cond;
  }
  // A disabled item's term is 2, true only with the A suffix or alone.
  items[4].Value.Int = 1;
  EXPECT_EQ(TestState(&menu, "4.1"), 1);
  EXPECT_EQ(TestStateCondition(&menu, "4.1A"), 0);
  items[4].Kind |= TM_DISABLED;
  EXPECT_EQ(TestState(&menu, "4.1"), 2);
  EXPECT_EQ(TestState(&menu, "4.2"), 0);
  EXPECT_EQ(TestStateCondition(&menu, "4.1A"), 1);
  EXPECT_EQ(TestStateCondition(&menu, "4.1"), 1);
}

TEST(ItemStates, SubMenuChosenByConditions) {
  static TextMenuItem none[] = {End()};
  static TextMenu first = Menu("First menu", none, 0), second = Menu("Second menu", none, 0);
  static TextMenu* subs[] = {&first, &second};
  TextMenuItem items[] = {Item("T", TM_TEXT), Item("A", TM_ACTION), Choice("Two", "a,b,c", 0),
                          Item("Open", TM_SUBMENU), End()};
  items[3].pRule = "2.0  2.1";
  items[3].Value.Menus = subs;
  TextMenu menu = Menu("M", items, TMF_NORETURN | TMF_COMPACT, 3);
  EXPECT_EQ(ValidateMenu(&menu, 3), &first);
  EXPECT_EQ(Draw(&menu), "T \n 1) A \n 2) Two . [1. a]\n 3) First menu \nEnter option: [[3]]");
  items[2].Value.Int = 1;
  EXPECT_EQ(ValidateMenu(&menu, 3), &second);
  items[2].Default.Int = items[2].Value.Int = 2;
  EXPECT_EQ(ValidateMenu(&menu, 3), nullptr);
  EXPECT_EQ(Draw(&menu), "T \n 1) A \n 2) Two . [3. c]\nEnter option: [[3]]");
  // Disabled, hidden or not a sub-menu item: none.
  items[2].Value.Int = 0;
  items[3].Kind = TM_SUBMENU | TM_DISABLED;
  for (int index : {3, 2, 40}) EXPECT_EQ(ValidateMenu(&menu, index), nullptr) << index;
}

}  // namespace
