#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "utils/utils.h"

namespace {

// The whole scan of text: each token followed by '@' and the delimiter
// that ended it ('0' for none), up to the first null shown as "@d".
std::string Scan(const char* text, const char* delims, bool parse = false) {
  std::string out;
  char* t = parse ? GetTokenParse(const_cast<char*>(text), delims) : GetToken(text, delims);
  for (;; t = parse ? GetTokenParse(nullptr, delims) : GetToken(nullptr, delims)) {
    out += t ? t : "";
    out += '@';
    out += chTokenDel != 0 ? chTokenDel : '0';
    if (t == nullptr) return out;
    out += '|';
  }
}

TEST(GetToken, DelimitersAndEscapes) {
  const struct {
    const char *text, *delims, *want;
  } cases[] = {
      {"  alpha  beta", " ", "alpha@ |beta@ |@0"},
      {"a,,b", ",", "a@,|b@,|@0"},
      {",,,", ",", "@,"},
      {"", ",", "@0"},
      {",abc", ",", "abc@,|@0"},
      {"a b", "", "a b@0|@0"},  // no delimiters: one token
      {"w1 w2\tw3\r\nw4", " \t\r\n", "w1@ |w2@\t|w3@\r|w4@\n|@0"},
      {"x\\,y,z", ",", "x,y@,|z@0|@0"},  // escapes never end a token
      {"one\\ttwo", " ", "one\ttwo@0|@0"},
      {"\\n\\r\\t\\\\\\q", ",", "\n\r\t\\q@0|@0"},
      {"a\\\\b\\c", "\\", "a\\bc@0|@0"},  // even when the backslash is a delimiter
      {"\\ lead", " ", " lead@0|@0"},
      {"ab\\", ",", "ab@0|@0"},  // a trailing backslash adds nothing
      {"\\", ",", "@0"},
      {",\\", ",", "@,"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Scan(c.text, c.delims), c.want);
  }
  EXPECT_EQ(GetToken(nullptr, ","), nullptr);  // stays ended

  const char* text = "  alpha  beta";
  GetToken(text, " ");
  EXPECT_EQ(szTokenIn, text + 8);  // just behind the blank that ended alpha
  const char* commas = ",,,";
  GetToken(commas, ",");
  EXPECT_EQ(szTokenIn, commas + 3);

  GetToken("key=value rest", " ");  // its own buffer can be scanned again
  EXPECT_EQ(Scan(GetTokenBuf, "="), "key@=|value@0|@0");
}

TEST(GetToken, OverlongTokenIsCutAndFlagged) {
  const std::string exact(127, 'e');
  EXPECT_EQ(GetToken(exact.c_str(), ","), exact);
  EXPECT_EQ(flTokenCut, 0);

  const std::string text = std::string(200, 'x') + ",next," + std::string(128, 'y') + "\\";
  EXPECT_EQ(GetToken(text.c_str(), ","), std::string(127, 'x'));
  EXPECT_EQ(flTokenCut, 1);
  EXPECT_EQ(chTokenDel, ',');
  EXPECT_STREQ(GetToken(nullptr, ","), "next");  // the rest was skipped, not split off
  EXPECT_EQ(flTokenCut, 0);
  EXPECT_EQ(GetToken(nullptr, ","), std::string(127, 'y'));
  EXPECT_EQ(flTokenCut, 1);
  EXPECT_EQ(GetToken(nullptr, ","), nullptr);
  EXPECT_EQ(flTokenCut, 0);

  const std::string escaped = std::string(126, 'a') + "\\tb";  // an escape counts as one
  EXPECT_EQ(GetToken(escaped.c_str(), ","), std::string(126, 'a') + "\t");
  EXPECT_EQ(flTokenCut, 1);
}

TEST(GetToken, LineModeStopsAtTheEndOfALine) {
  for (bool parse : {false, true}) {
    SCOPED_TRACE(parse);
    char text[] = "a b\nc";
    auto next = [&](const char* in) {
      return parse ? GetTokenParse(const_cast<char*>(in), " \t\n") : GetToken(in, " \t\n");
    };
    EXPECT_STREQ(next(text), "a");
    const char* before = szTokenIn;
    EXPECT_EQ(next(TOKEN_LINE_MODE), nullptr);  // b ended the line
    EXPECT_EQ(szTokenIn, before);
    EXPECT_EQ(chTokenDel, '\n');
    if (!parse) {
      EXPECT_STREQ(GetTokenBuf, "b");
    }
    EXPECT_STREQ(next(TOKEN_LINE_MODE), "c");
    EXPECT_EQ(next(TOKEN_LINE_MODE), nullptr);
  }
  // A line feed among the leading delimiters does not stop the scan.
  SetTokenBuf("\n\ny z");
  EXPECT_STREQ(GetToken(TOKEN_LINE_MODE, " \n"), "y");
}

TEST(GetTokenParse, TerminatesInPlaceAndKeepsEscapes) {
  char path[] = "/usr/bin:/usr/ucb:/bin:/usr/lib/lp";
  EXPECT_EQ(Scan(path, ":", true), "/usr/bin@:|/usr/ucb@:|/bin@:|/usr/lib/lp@0|@0");
  EXPECT_EQ(path[8], '\0');
  char esc[] = "one\\ttwo x\\,y,z";
  EXPECT_EQ(Scan(esc, ",", true), "one\\ttwo x\\,y@,|z@0|@0");

  char lead[] = "::a::";
  EXPECT_EQ(GetTokenParse(lead, ":"), lead + 2);
  EXPECT_EQ(std::memcmp(lead, "\0\0a\0:", 5), 0);  // skipped delimiters cleared too
  EXPECT_EQ(GetTokenParse(nullptr, ":"), nullptr);
  EXPECT_EQ(chTokenDel, ':');
  char empty[] = ":::";
  EXPECT_EQ(Scan(empty, ":", true), "@:");
}

TEST(Tokenizer, NthTokenAndNestedScan) {
  const struct {
    unsigned n;
    const char* want;
  } cases[] = {{0, nullptr}, {1, "p"}, {2, "q"}, {3, "r"}, {4, nullptr}};
  for (const auto& c : cases) {
    const char* got = GetTokenN("p q r", " ", c.n);
    EXPECT_STREQ(got, c.want) << c.n;
  }
  EXPECT_STREQ(GetTokenN("p q r", " ", 2), "q");
  EXPECT_STREQ(GetToken(nullptr, " "), "r");  // the scan goes on behind it

  // A caller may scan something else and then resume its own scan.
  GetToken("one,two", ",");
  const char* saved = szTokenIn;
  GetToken("inner;scan", ";");
  SetTokenBuf(saved);
  EXPECT_STREQ(GetToken(nullptr, ","), "two");
}

TEST(FindToken, MatchesWholeFieldsOnly) {
  const std::string longest(509, 'k'), over(510, 'k');
  const std::string inLongest = ",a," + longest + ",", inOver = ",a," + over + ",";
  const struct {
    const char *token, *list;
    int want;
  } cases[] = {
      {"mode", ",mode,bat,owner,group,", 1}, {"bat", ",mode,bat,owner,group,", 2},
      {"group", ",mode,bat,owner,group,", 4}, {"Bat", ",mode,bat,owner,group,", 0},
      {"mod", ",mode,bat,", 0},               {"bat,owner", ",mode,bat,owner,", 2},
      {"..", ";.;..;", 2},                    {".", ";.;..;", 1},
      {"mode", "mode,bat,", 0},  // no leading separator: the first field is lost
      {"x", "", 0},                           {nullptr, ",x,", 0},
      {"x", nullptr, 0},                      {longest.c_str(), inLongest.c_str(), 2},
      {over.c_str(), inOver.c_str(), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(FindToken(c.token, c.list), c.want) << c.token << " in " << c.list;
}

}  // namespace
