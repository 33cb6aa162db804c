#include <gtest/gtest.h>

#include <cstdio>

#include "textmenu/MenuHarness.h"
#include "textmenu/textmenu.h"

namespace {

const std::string kPress = "\nPress <Return> to continue ";

// The screen output of one check followed by "[[code]]".
std::string Check(const std::string& entry, const char* rule) {
  ScriptedRun r = RunScripted("\n", [&] { printf("[[%d]]", ValidateEntry(entry.c_str(), rule)); });
  return r.out;
}

TEST(EntryValidation, DecimalNumbers) {
  EXPECT_EQ(Check("5", "d(1,10)"), "[[0]]");
  EXPECT_EQ(Check("11", "d(1,10)"), "This number must be between 1 to 10." + kPress + "[[1]]");
  EXPECT_EQ(Check("5x", "d(1,10)"), "[[0]]");  // the character after the number is the separator
  EXPECT_EQ(Check("123456", "d(0,0)"), "[[0]]");  // maximum 0: no range test
  // No number at the position tests the value 0.
  EXPECT_EQ(Check("x", "d(1,5)"), "This number must be between 1 to 5." + kPress + "[[1]]");
  EXPECT_EQ(Check("x", "d(0,5)"), "[[0]]");
  EXPECT_EQ(Check("99999999999999999999", "d(1,5)"), "This number must be between 1 to 5." + kPress + "[[1]]");
  EXPECT_EQ(Check("anything", nullptr), "[[0]]");
  // Elements in sequence: 10.5 is two numbers split by the separator.
  EXPECT_EQ(Check("10.5", "d(1,10)d(1,9)"), "[[0]]");
  EXPECT_EQ(Check("10.50", "d(1,10)d(1,9)"), "This number must be between 1 to 9." + kPress + "[[1]]");
}

TEST(EntryValidation, HexAndFloat) {
  EXPECT_EQ(Check("1ff", "x(0,255)"), "This number must be between 0 to ff." + kPress + "[[1]]");
  EXPECT_EQ(Check("ff", "x(0,255)"), "[[0]]");
  EXPECT_EQ(Check("2.5", "f(0,10)"), "[[0]]");
  EXPECT_EQ(Check("12.5", "f(0.5,10.9)"), "This number must be between 0 to 10." + kPress + "[[1]]");
  EXPECT_EQ(Check("1,5", "f(0,10)"),
            "Invalid character ','\nThis text may contain \"0123456789.\"" + kPress + "[[3]]");
}

TEST(EntryValidation, TextLengthAndCharacterClasses) {
  EXPECT_EQ(Check("a", "t(2,4)"), "This text length must be from 2 to 4 characters long." + kPress + "[[2]]");
  EXPECT_EQ(Check("abc", "t(2,4)"), "[[0]]");
  EXPECT_EQ(Check("ab_", "a(1,3)+_"), "[[0]]");
  EXPECT_EQ(Check("a1", "a(1,3)+_"),
            "Invalid character '1'\nThis text may contain \"abc..zABC..Z_\"" + kPress + "[[3]]");
  EXPECT_EQ(Check("abcd", "A(2,3)"), "This text length must be from 2 to 3 characters long." + kPress + "[[2]]");
  EXPECT_EQ(Check("a-b", "A(2,3)"),
            "Invalid character '-'\nThis text may contain \"abc..zABC..Z012..9\"" + kPress + "[[3]]");
}

TEST(EntryValidation, StoreSettingsFileName) {
  const char* rule = "/A(1,255)+-+_+/";
  EXPECT_EQ(Check("/tmp/my-settings_1", rule), "[[0]]");
  EXPECT_EQ(Check("tmp/x", rule), "Invalid character t\n/ was expected after \"\"" + kPress + "[[3]]");
  EXPECT_EQ(Check("/tmp/a.b", rule),
            "Invalid character '.'\nThis text may contain \"abc..zABC..Z012..9-_/\"" + kPress + "[[3]]");
  EXPECT_EQ(Check("/" + std::string(255, 'a'), rule),
            "This text length must be from 1 to 255 characters long." + kPress + "[[2]]");
  EXPECT_EQ(Check("pqx", "pq-"), "Invalid character x\n- was expected after \"pq\"" + kPress + "[[3]]");
}

TEST(EntryValidation, Alternatives) {
  const char* rule = "a(1,8)|d(1,99)";
  EXPECT_EQ(Check("abc", rule), "[[0]]");
  EXPECT_EQ(Check("42", rule), "[[0]]");
  EXPECT_EQ(Check("4a", rule), "[[0]]");
  // The first alternative fails silently; the last one reports.
  EXPECT_EQ(Check("abcdefghij", rule), "This number must be between 1 to 99." + kPress + "[[1]]");
  EXPECT_EQ(Check("a-", "t(3,4)|a(1,1)"),
            "Invalid character '-'\nThis text may contain \"abc..zABC..Z\"" + kPress + "[[3]]");
  // A number in range with an alternative behind it is valid at once.
  EXPECT_EQ(Check("5", "d(1,9)x|zz"), "[[0]]");
}

TEST(EntryValidation, ForbiddenEntry) {
  EXPECT_EQ(Check("root", "!(root)"), "Invalid entry \"root\"" + kPress + "[[4]]");
  EXPECT_EQ(Check("roots", "!(root)"), "[[0]]");
  EXPECT_EQ(Check("a)b", "!(a\\)b)"), "Invalid entry \"a)b\"" + kPress + "[[4]]");
}

TEST(EntryValidation, TestName) {
  ScriptedRun r = RunScripted("\n", [] {
    printf("[[%d %d]]", TestName("good_name-1"), TestName(""));
    printf("[[%d]]", TestName("bad name"));
  });
  EXPECT_EQ(r.out,
            "[[1 1]]\n' ' is not a valid name character. \nOnly alphanumeric character, '-', and '_' are valid: \n"
            "Press <Return> to continue[[0]]");
}

}  // namespace
