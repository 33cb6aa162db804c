#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "utils/utils.h"

namespace {

// The whole scan of text: each token followed by '@', the delimiter that
// ended it ('0' for none) and '!' when it was cut, up to the first null.
std::string Scan(const char* text, const char* delims, bool parse = false) {
  std::string out;
  char* t = parse ? GetTokenParse(const_cast<char*>(text), delims) : GetToken(text, delims);
  for (;; t = parse ? GetTokenParse(nullptr, delims) : GetToken(nullptr, delims)) {
    out += std::string(t ? t : "") + '@' + (chTokenDel != 0 ? chTokenDel : '0');
    if (!parse && flTokenCut) out += '!';
    if (t == nullptr) return out;
    out += '|';
  }
}

TEST(GetToken, DelimitersEscapesAndCuts) {
  const std::string e127(127, 'e'), x127(127, 'x'), y127(127, 'y'), a126(126, 'a');
  // The rest of a cut token is skipped, not split off; an escape counts as one.
  const std::string cut1 = std::string(200, 'x') + ",next," + std::string(128, 'y') + "\\";
  const std::string cut2 = a126 + "\\tb";
  const struct { const char *text, *delims; std::string want; } cases[] = {
      {"  alpha  beta", " ", "alpha@ |beta@ |@0"}, {"a,,b", ",", "a@,|b@,|@0"},
      {",,,", ",", "@,"}, {"", ",", "@0"}, {"a b", "", "a b@0|@0"},  // no delimiters: one token
      {"w1 w2\tw3\r\nw4", " \t\r\n", "w1@ |w2@\t|w3@\r|w4@\n|@0"},
      {"x\\,y,z", ",", "x,y@,|z@0|@0"},  // escapes never end a token
      {"\\n\\r\\t\\\\\\q", ",", "\n\r\t\\q@0|@0"}, {"\\ lead", " ", " lead@0|@0"},
      {"a\\\\b\\c", "\\", "a\\bc@0|@0"},  // even when the backslash is a delimiter
      {"ab\\", ",", "ab@0|@0"}, {"\\", ",", "@0"}, {",\\", ",", "@,"},  // a last one adds nothing
      {e127.c_str(), ",", e127 + "@0|@0"},
      {cut1.c_str(), ",", x127 + "@,!|next@,|" + y127 + "@0!|@0"},
      {cut2.c_str(), ",", a126 + "\t@0!|@0"},
  };
  for (const auto& c : cases) EXPECT_EQ(Scan(c.text, c.delims), c.want) << c.text;
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

TEST(GetToken, LineModeStopsAtTheEndOfALine) {
  char text[] = "a b\nc";
  for (bool parse : {false, true}) {  // the in-place scan last: it cuts text up
    auto next = [&](const char* in) {
      return parse ? GetTokenParse(const_cast<char*>(in), " \n") : GetToken(in, " \n");
    };
    EXPECT_STREQ(next(text), "a") << parse;
    const char* before = szTokenIn;
    EXPECT_EQ(next(TOKEN_LINE_MODE), nullptr);  // b ended the line
    EXPECT_EQ(szTokenIn, before);
    EXPECT_EQ(chTokenDel, '\n');
    EXPECT_STREQ(next(TOKEN_LINE_MODE), "c");
    EXPECT_EQ(next(TOKEN_LINE_MODE), nullptr);
  }
  GetToken("a b\nc", " \n");
  GetToken(TOKEN_LINE_MODE, " \n");
  EXPECT_STREQ(GetTokenBuf, "b");  // still there for the caller
  SetTokenBuf("\n\ny z");  // a line feed among leading delimiters does not stop it
  EXPECT_STREQ(GetToken(TOKEN_LINE_MODE, " \n"), "y");
}

TEST(GetTokenParse, TerminatesInPlaceAndKeepsEscapes) {
  char path[] = "/usr/bin:/usr/ucb:/bin:/usr/lib/lp";
  EXPECT_EQ(Scan(path, ":", true), "/usr/bin@:|/usr/ucb@:|/bin@:|/usr/lib/lp@0|@0");
  EXPECT_EQ(path[8], '\0');
  char esc[] = "one\\ttwo x\\,y,z", lead[] = "::a::", empty[] = ":::";
  EXPECT_EQ(Scan(esc, ",", true), "one\\ttwo x\\,y@,|z@0|@0");
  EXPECT_EQ(Scan(lead, ":", true), "a@:|@:");
  EXPECT_EQ(std::memcmp(lead, "\0\0a\0\0", 5), 0);  // skipped delimiters cleared too
  EXPECT_EQ(Scan(empty, ":", true), "@:");
}

TEST(GetTokenN, PicksTheNthTokenAndLeavesTheScanBehindIt) {
  const char* want[] = {nullptr, "p", "q", "r", nullptr};
  for (unsigned n : {0u, 4u, 1u, 3u, 2u}) EXPECT_STREQ(GetTokenN("p q r", " ", n), want[n]) << n;
  EXPECT_STREQ(GetToken(nullptr, " "), "r");
}

TEST(FindToken, MatchesWholeFieldsOnly) {
  const std::string longest(509, 'k'), over(510, 'k');
  const std::string inLongest = ",a," + longest + ",", inOver = ",a," + over + ",";
  const struct { const char *token, *list; int want; } cases[] = {
      {"mode", ",mode,bat,owner,group,", 1}, {"group", ",mode,bat,owner,group,", 4},
      {"Bat", ",mode,bat,", 0}, {"mod", ",mode,bat,", 0}, {"bat,owner", ",mode,bat,owner,", 2},
      {"..", ";.;..;", 2}, {".", ";.;..;", 1}, {"x", "", 0}, {nullptr, ",x,", 0}, {"x", nullptr, 0},
      {"mode", "mode,bat,", 0},  // no leading separator: the first field is lost
      {longest.c_str(), inLongest.c_str(), 2}, {over.c_str(), inOver.c_str(), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(FindToken(c.token, c.list), c.want) << c.token << c.list;
}

}  // namespace
