#include <gtest/gtest.h>

#include "textmenu/MenuHarness.h"
#include "textmenu/textmenu.h"

namespace {

TEST(ItemStates, TestFormatState) {
  EXPECT_EQ(TestFormatState("", 0), 0);
  EXPECT_EQ(TestFormatState(nullptr, 0), 0);
  EXPECT_EQ(TestFormatState("*", -7), 1);
  EXPECT_EQ(TestFormatState("1/3", 3), 1);
  EXPECT_EQ(TestFormatState("1/3", 2), 0);
  EXPECT_EQ(TestFormatState("-2", -2), 1);
  EXPECT_EQ(TestFormatState("2*", 5), 0);  // a star after the first position is passed over
  EXPECT_EQ(TestFormatState("12", 1), 0);
}

TEST(ItemStates, DisableHideAndPreset) {
  TextMenuItem items[] = {
      Item("Text", TM_TEXT),
      Item("Act", TM_ACTION),
      Entry("Name", TM_NAME, "Name", nullptr),
      Choice("Switch", "No,Yes", 0, "N0{4,5} H*{6} S1{7.2} S1{2.9} N*{99}"),
      Entry("Four", TM_INT, "Four", nullptr),
      Entry("Five", TM_INT, "Five", nullptr),
      Item("Six", TM_ACTION),
      Entry("Seven", TM_INT, "Seven", nullptr),
      End(),
  };
  items[7].Default.Int = 5;
  TextMenu menu = Menu("S", items, TMF_NORETURN);
  int map[TM_MAP_SIZE];
  InitMenu(&menu, map);
  EXPECT_EQ(items[4].Kind, TM_INT | TM_DISABLED);
  EXPECT_EQ(items[5].Kind, TM_INT | TM_DISABLED);
  EXPECT_EQ(items[6].Kind, TM_ACTION | TM_HIDDEN);
  EXPECT_EQ(items[7].Value.Int, 5);
  // Stepping the choice to 1 enables 4 and 5 and presets 7.
  EXPECT_EQ(ProcessSelection(&menu, 3), 1);
  EXPECT_EQ(items[3].Value.Int, 1);
  EXPECT_EQ(items[4].Kind, TM_INT);
  EXPECT_EQ(items[5].Kind, TM_INT);
  EXPECT_EQ(items[6].Kind, TM_ACTION | TM_HIDDEN);
  EXPECT_EQ(items[7].Value.Int, 2);
  EXPECT_EQ(items[7].SavedValue, 5);
  // A text item keeps its buffer: S does not put a number there.
  ASSERT_NE(items[2].Value.Buf, nullptr);
  EXPECT_STREQ(items[2].Value.Buf, "");
  // Back to 0: the saved value is kept unless it equals the preset.
  EXPECT_EQ(ProcessSelection(&menu, 3), 1);
  EXPECT_EQ(items[7].Value.Int, 2);
  EXPECT_EQ(items[7].SavedValue, 5);
  items[7].SavedValue = 2;
  items[7].Value.Int = 3;
  ProcessStateFormat(&menu, 3);
  EXPECT_EQ(items[7].Value.Int, 2);
  EXPECT_EQ(items[7].SavedValue, -1);
  // A disabled choice changes nothing.
  items[3].Kind |= TM_DISABLED;
  items[3].Value.Int = 1;
  ProcessStateFormat(&menu, 3);
  EXPECT_EQ(items[4].Kind, TM_INT | TM_DISABLED);
  FreeMenu(&menu);
}

TEST(ItemStates, NestedFormatKeepsTheOuterScan) {
  TextMenuItem items[] = {
      Choice("Outer", "a,b", 1, "P1{1} N1{3}"),
      Choice("Inner", "a,b", 0, "H*{2}"),
      Item("Two", TM_ACTION),
      Item("Three", TM_ACTION),
      Choice("Self", "a,b", 0, "P*{4} N*{2}"),  // runs itself: must end
      End(),
  };
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
      Item("T", TM_TEXT), Item("A", TM_ACTION), Choice("Two", "a,b,c", 0), Choice("Three", "a,b", 0),
      Entry("Four", TM_INT, "Four", nullptr), End(),
  };
  TextMenu menu = Menu("C", items, 0);
  auto set = [&](int two, int three) {
    items[2].Value.Int = two;
    items[3].Value.Int = three;
  };
  set(0, 0);
  EXPECT_EQ(TestStateCondition(&menu, "2.0|2.1"), 1);
  EXPECT_EQ(TestStateCondition(&menu, "(2.0)"), 1);
  EXPECT_EQ(TestStateCondition(&menu, "!2.0&3.1"), 0);
  EXPECT_EQ(TestStateCondition(&menu, "2.0)"), 1);  // unmatched ")" passed over
  EXPECT_EQ(TestStateCondition(&menu, ""), 0);
  EXPECT_EQ(TestStateCondition(&menu, "2.0|2.1&3.1"), 0);  // left to right, no precedence
  EXPECT_EQ(TestStateCondition(&menu, "3.1&(2.0|2.1)|2.0"), 1);
  set(1, 1);
  EXPECT_EQ(TestStateCondition(&menu, "2.0|2.1"), 1);
  EXPECT_EQ(TestStateCondition(&menu, "(2.0)"), 0);
  EXPECT_EQ(TestStateCondition(&menu, "!2.0&3.1"), 1);
  set(2, 1);
  EXPECT_EQ(TestStateCondition(&menu, "2.0|2.1"), 0);
  EXPECT_EQ(TestStateCondition(&menu, "!(2.0|2.1)"), 1);
  EXPECT_EQ(TestStateCondition(&menu, "((((2.2"), 1);
  EXPECT_EQ(TestStateCondition(&menu, "9.0|-1.0|x"), 0);  // no such items
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
  static TextMenu first = Menu("First menu", none, 0);
  static TextMenu second = Menu("Second menu", none, 0);
  static TextMenu* subs[] = {&first, &second};
  TextMenuItem items[] = {
      Item("T", TM_TEXT), Item("A", TM_ACTION), Choice("Two", "a,b,c", 0), Item("Open", TM_SUBMENU), End(),
  };
  items[3].pRule = "2.0  2.1";
  items[3].Value.Menus = subs;
  TextMenu menu = Menu("M", items, TMF_NORETURN | TMF_COMPACT);
  menu.TitleStyle = 3;
  auto draw = [&] {
    return RunScripted("", [&] {
             int map[TM_MAP_SIZE];
             InitMenu(&menu, map);
             PrintMenu(&menu, 0, 0);
           }).out;
  };
  items[2].Default.Int = 0;
  EXPECT_EQ(ValidateMenu(&menu, 3), &first);
  EXPECT_NE(draw().find(" 3) First menu \n"), std::string::npos);
  items[2].Value.Int = 1;
  EXPECT_EQ(ValidateMenu(&menu, 3), &second);
  items[2].Default.Int = 2;
  items[2].Value.Int = 2;
  EXPECT_EQ(ValidateMenu(&menu, 3), nullptr);
  EXPECT_EQ(draw(), "T \n 1) A \n 2) Two  [3. c]\nEnter option: ");
  // Disabled, hidden or not a sub-menu item: none.
  items[2].Value.Int = 0;
  items[3].Kind = TM_SUBMENU | TM_DISABLED;
  EXPECT_EQ(ValidateMenu(&menu, 3), nullptr);
  EXPECT_EQ(ValidateMenu(&menu, 2), nullptr);
  EXPECT_EQ(ValidateMenu(&menu, 40), nullptr);
}

}  // namespace
