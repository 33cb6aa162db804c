#include "textmenu/MenuHarness.h"

namespace {

// Output of one check: the message and its confirmation if any, then "[[code]]".
std::string Check(const std::string& entry, const char* rule) {
  return RunScripted("\n", [&] { printf("[[%d]]", ValidateEntry(entry.c_str(), rule)); }).out;
}

TEST(EntryValidation, CodesAndMessages) {
  const char* file = "/A(1,255)+-+_+/";  // the settings file name
  const char* alt = "a(1,8)|d(1,99)";
  // After a number the next character is its separator ("5x", "10.5" as
  // two numbers); maximum 0 means no range test; no number tests the
  // value 0; only the last alternative reports; a number in range with
  // an alternative behind it is valid at once; the longest length allowed
  // is valid.
  // clang-format off
  const char* valid[] = {  // entry, rule pairs
      "5x", "d(1,10)", "123456", "d(0,0)", "x", "d(0,5)", "anything", nullptr,
      "10.5", "d(1,10)d(1,9)", "ff", "x(0,255)", "2.5", "f(0,10)", "abcd", "t(2,4)",
      "ab_", "a(1,3)+_", "/tmp/my-settings_1", file, "42", alt, "4a", alt,
      "5", "d(1,9)x|zz", "roots", "!(root)"};
  // clang-format on
  for (size_t i = 0; i < std::size(valid); i += 2)
    EXPECT_EQ(Check(valid[i], valid[i + 1]), "[[0]]") << valid[i];
  // clang-format off
  const struct { std::string entry; const char* rule; int code; std::string message; } invalid[] = {
      {"11", "d(1,10)", 1, "This number must be between 1 to 10."},
      {"x", "d(1,5)", 1, "This number must be between 1 to 5."},
      {"99999999999999999999", "d(1,5)", 1, "This number must be between 1 to 5."},
      {"10.50", "d(1,10)d(1,9)", 1, "This number must be between 1 to 9."},
      {"1ff", "x(0,255)", 1, "This number must be between 0 to ff."},
      {"12.5", "f(0.5,10.9)", 1, "This number must be between 0 to 10."},
      {"abcdefghij", alt, 1, "This number must be between 1 to 99."},
      {"a", "t(2,4)", 2, "This text length must be from 2 to 4 characters long."},
      {"/" + std::string(255, 'a'), file, 2, "This text length must be from 1 to 255 characters long."},
      {"1,5", "f(0,10)", 3, "Invalid character ','\nThis text may contain \"0123456789.\""},
      {"a1", "a(1,3)+_", 3, "Invalid character '1'\nThis text may contain \"abc..zABC..Z_\""},
      {"a-b", "A(2,3)", 3, "Invalid character '-'\nThis text may contain \"abc..zABC..Z012..9\""},
      {"/tmp/a.b", file, 3, "Invalid character '.'\nThis text may contain \"abc..zABC..Z012..9-_/\""},
      {"tmp/x", file, 3, "Invalid character t\n/ was expected after \"\""},
      {"pqx", "pq-", 3, "Invalid character x\n- was expected after \"pq\""},
      {"root", "!(root)", 4, "Invalid entry \"root\""},
      {"a)b", "!(a\\)b)", 4, "Invalid entry \"a)b\""}};
  // clang-format on
  for (const auto& c : invalid)
    EXPECT_EQ(Check(c.entry, c.rule),
              c.message + "\nPress <Return> to continue [[" + std::to_string(c.code) + "]]")
        << c.entry << " " << c.rule;
}

TEST(EntryValidation, TestName) {
  const std::string out = RunScripted("\n", [] {
                            printf("[[%d %d]]", TestName("good_name-1"), TestName(""));
                            printf("[[%d]]", TestName("bad name"));
                          }).out;
  EXPECT_EQ(out,
            "[[1 1]]\n' ' is not a valid name character. \nOnly alphanumeric character, "
            "'-', and '_' are valid: \nPress <Return> to continue[[0]]");
}

}  // namespace
