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
  // The rest of a cut token is skipped, not split off; an escape counts as one.
  const std::string e127(127, 'e'), x128 = std::string(128, 'x') + ",next",
                    a126 = std::string(126, 'a') + "\\tb";
  const struct { const char *text, *delims; std::string want; } cases[] = {
      {"  alpha  beta", " ", "alpha@ |beta@ |@0"}, {",,,", ",", "@,"}, {"a b", "", "a b@0|@0"},
      {"x\\,y,z", ",", "x,y@,|z@0|@0"},  // escapes never end a token
      {"\\n\\r\\t\\\\\\q", ",", "\n\r\t\\q@0|@0"}, {"ab\\", ",", "ab@0|@0"},
      {"a\\\\b\\c", "\\", "a\\bc@0|@0"},  // even when the backslash is a delimiter
      {e127.c_str(), ",", e127 + "@0|@0"},
      {x128.c_str(), ",", std::string(127, 'x') + "@,!|next@0|@0"},
      {a126.c_str(), ",", std::string(126, 'a') + "\t@0!|@0"},
  };
  for (const auto& c : cases) EXPECT_EQ(Scan(c.text, c.delims), c.want) << c.text;
}

TEST(GetToken, LineModeStopsAtTheEndOfALine) {
  char text[] = "a b\nc";
  for (bool parse : {false, true}) {  // the in-place scan last: it cuts text up
    auto next = [&](const char* in) {
      return parse ? GetTokenParse(const_cast<char*>(in), " \n") : GetToken(in, " \n");
    };
    EXPECT_STREQ(next(text), "a") << parse;
    EXPECT_EQ(next(TOKEN_LINE_MODE), nullptr);  // b ended the line
    EXPECT_EQ(chTokenDel, '\n');
    if (!parse) { EXPECT_STREQ(GetTokenBuf, "b"); }  // still there for the caller
    EXPECT_STREQ(next(TOKEN_LINE_MODE), "c");
  }
  SetTokenBuf("\n\ny z");  // a line feed among leading delimiters does not stop it
  EXPECT_STREQ(GetToken(TOKEN_LINE_MODE, " \n"), "y");
}

TEST(GetTokenParse, TerminatesInPlaceAndKeepsEscapes) {
  char text[] = "::one\\ttwo x\\:y::z";
  EXPECT_EQ(Scan(text, ":", true), "one\\ttwo x\\:y@:|z@:|@0");
  // Skipped delimiters are cleared too.
  EXPECT_EQ(std::string(text, sizeof text), std::string("\0\0one\\ttwo x\\:y\0\0z", 19));
}

TEST(GetTokenN, PicksTheNthTokenAndLeavesTheScanBehindIt) {
  const char* want[] = {nullptr, "p", "q", "r", nullptr};
  for (unsigned n : {0u, 4u, 1u, 3u, 2u}) EXPECT_STREQ(GetTokenN("p q r", " ", n), want[n]) << n;
  EXPECT_STREQ(GetToken(nullptr, " "), "r");
}

TEST(FindToken, MatchesWholeFieldsOnly) {
  const struct { const char *token, *list; int want; } cases[] = {
      {"mode", ",mode,bat,", 1}, {"Bat", ",mode,bat,", 0}, {"mod", ",mode,bat,", 0},
      {"bat,owner", ",mode,bat,owner,", 2}, {"..", ";.;..;", 2}, {"x", "", 0}, {nullptr, ",x,", 0},
      {"x", nullptr, 0}, {"mode", "mode,bat,", 0},  // no leading separator: the first field is lost
  };
  for (const auto& c : cases) EXPECT_EQ(FindToken(c.token, c.list), c.want) << c.token << c.list;
}

}  // namespace
