#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "utils/utils.h"

namespace {

// A GetToken result as a string; "<null>" for none.
std::string Tok(const char* t) { return t == nullptr ? "<null>" : t; }

TEST(GetToken, SkipsRunsOfDelimitersAndRecordsTheLastOne) {
  const char* text = "  alpha  beta";
  EXPECT_EQ(Tok(GetToken(text, " ")), "alpha");
  EXPECT_EQ(chTokenDel, ' ');
  EXPECT_EQ(szTokenIn, text + 8);  // just behind the blank that ended alpha
  EXPECT_EQ(Tok(GetToken(nullptr, " ")), "beta");
  EXPECT_EQ(chTokenDel, ' ');  // the leading blank skipped by this call
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(GetToken(nullptr, " "), nullptr);
    EXPECT_EQ(chTokenDel, 0);
  }

  EXPECT_EQ(Tok(GetToken("a,,b", ",")), "a");
  EXPECT_EQ(Tok(GetToken(nullptr, ",")), "b");
  EXPECT_EQ(GetToken(nullptr, ","), nullptr);

  const char* commas = ",,,";
  EXPECT_EQ(GetToken(commas, ","), nullptr);
  EXPECT_EQ(chTokenDel, ',');
  EXPECT_EQ(szTokenIn, commas + 3);

  EXPECT_EQ(Tok(GetToken("abc", ",")), "abc");
  EXPECT_EQ(chTokenDel, 0);
  EXPECT_EQ(Tok(GetToken(",abc", ",")), "abc");
  EXPECT_EQ(chTokenDel, ',');

  EXPECT_EQ(GetToken("", ","), nullptr);
  EXPECT_EQ(Tok(GetToken("a b", "")), "a b");  // no delimiters: one token
  EXPECT_EQ(Tok(GetToken("w1 w2\tw3\r\nw4", " \t\r\n")), "w1");
  EXPECT_EQ(Tok(GetToken(nullptr, " \t\r\n")), "w2");
  EXPECT_EQ(Tok(GetToken(nullptr, " \t\r\n")), "w3");
  EXPECT_EQ(chTokenDel, '\r');
  EXPECT_EQ(Tok(GetToken(nullptr, " \t\r\n")), "w4");
  EXPECT_EQ(chTokenDel, '\n');
}

TEST(GetToken, EscapesAreTranslatedAndNeverEndAToken) {
  EXPECT_EQ(Tok(GetToken("x\\,y,z", ",")), "x,y");
  EXPECT_EQ(Tok(GetToken(nullptr, ",")), "z");

  EXPECT_EQ(Tok(GetToken("one\\ttwo", " ")), "one\ttwo");
  EXPECT_EQ(Tok(GetToken("\\n\\r\\t\\\\\\q", ",")), "\n\r\t\\q");
  // A backslash starts an escape even when it is a delimiter.
  EXPECT_EQ(Tok(GetToken("a\\\\b\\c", "\\")), "a\\bc");
  EXPECT_EQ(Tok(GetToken("\\ lead", " ")), " lead");
}

TEST(GetToken, TrailingBackslashAddsNothingAndEndsTheScan) {
  const char* text = "ab\\";
  EXPECT_EQ(Tok(GetToken(text, ",")), "ab");
  EXPECT_EQ(szTokenIn, text + 3);
  EXPECT_EQ(GetToken(nullptr, ","), nullptr);
  EXPECT_EQ(GetToken("\\", ","), nullptr);
  EXPECT_EQ(Tok(GetToken(",\\", ",")), "<null>");
}

TEST(GetToken, OverlongTokenIsCutAndFlagged) {
  const std::string exact(127, 'e');
  EXPECT_EQ(Tok(GetToken(exact.c_str(), ",")), exact);
  EXPECT_EQ(flTokenCut, 0);

  const std::string text = std::string(200, 'x') + ",next," + std::string(128, 'y') + "\\";
  EXPECT_EQ(Tok(GetToken(text.c_str(), ",")), std::string(127, 'x'));
  EXPECT_EQ(flTokenCut, 1);
  EXPECT_EQ(chTokenDel, ',');
  EXPECT_EQ(Tok(GetToken(nullptr, ",")), "next");  // the rest was skipped, not split off
  EXPECT_EQ(flTokenCut, 0);
  EXPECT_EQ(Tok(GetToken(nullptr, ",")), std::string(127, 'y'));
  EXPECT_EQ(flTokenCut, 1);
  EXPECT_EQ(GetToken(nullptr, ","), nullptr);
  EXPECT_EQ(flTokenCut, 0);

  // Escapes count as one character each.
  const std::string escaped = std::string(126, 'a') + "\\tb";
  EXPECT_EQ(Tok(GetToken(escaped.c_str(), ",")), std::string(126, 'a') + "\t");
  EXPECT_EQ(flTokenCut, 1);
}

TEST(GetToken, CanRescanItsOwnBuffer) {
  GetToken("key=value rest", " ");
  EXPECT_EQ(Tok(GetToken(GetTokenBuf, "=")), "key");
  EXPECT_EQ(Tok(GetToken(nullptr, "=")), "value");
}

TEST(GetToken, LineModeStopsAtTheEndOfALine) {
  const char* text = "a b\nc";
  EXPECT_EQ(Tok(GetToken(text, " \t\n")), "a");
  const char* before = szTokenIn;
  EXPECT_EQ(GetToken(TOKEN_LINE_MODE, " \t\n"), nullptr);  // b ended the line
  EXPECT_EQ(szTokenIn, before);
  EXPECT_STREQ(GetTokenBuf, "b");
  EXPECT_EQ(chTokenDel, '\n');
  EXPECT_EQ(Tok(GetToken(TOKEN_LINE_MODE, " \t\n")), "c");
  EXPECT_EQ(GetToken(TOKEN_LINE_MODE, " \t\n"), nullptr);

  // A line feed among the leading delimiters does not stop the scan.
  EXPECT_EQ(Tok(GetToken("x", " \n")), "x");
  SetTokenBuf("\n\ny z");
  EXPECT_EQ(Tok(GetToken(TOKEN_LINE_MODE, " \n")), "y");
}

TEST(GetTokenParse, TerminatesInPlaceAndKeepsEscapes) {
  char path[] = "/usr/bin:/usr/ucb:/usr/sbin:/bin:/sbin:/usr/lib:/usr/lib/lp";
  EXPECT_STREQ(GetTokenParse(path, ":"), "/usr/bin");
  EXPECT_EQ(path[8], '\0');
  EXPECT_EQ(chTokenDel, ':');
  EXPECT_STREQ(GetTokenParse(nullptr, ":"), "/usr/ucb");
  const char* expect[] = {"/usr/sbin", "/bin", "/sbin", "/usr/lib", "/usr/lib/lp"};
  for (const char* e : expect) EXPECT_STREQ(GetTokenParse(nullptr, ":"), e);
  EXPECT_EQ(GetTokenParse(nullptr, ":"), nullptr);

  char esc[] = "one\\ttwo";
  EXPECT_STREQ(GetTokenParse(esc, " "), "one\\ttwo");
  char comma[] = "x\\,y,z";
  EXPECT_STREQ(GetTokenParse(comma, ","), "x\\,y");
  EXPECT_STREQ(GetTokenParse(nullptr, ","), "z");

  char lead[] = "::a::";
  char* a = GetTokenParse(lead, ":");
  EXPECT_EQ(a, lead + 2);
  EXPECT_STREQ(a, "a");
  EXPECT_EQ(std::memcmp(lead, "\0\0a\0:", 5), 0);  // skipped delimiters cleared too
  EXPECT_EQ(GetTokenParse(nullptr, ":"), nullptr);
  EXPECT_EQ(chTokenDel, ':');

  char empty[] = ":::";
  EXPECT_EQ(GetTokenParse(empty, ":"), nullptr);

  char lines[] = "a b\nc";
  EXPECT_STREQ(GetTokenParse(lines, " \n"), "a");
  const char* before = szTokenIn;
  EXPECT_EQ(GetTokenParse(const_cast<char*>(TOKEN_LINE_MODE), " \n"), nullptr);
  EXPECT_EQ(szTokenIn, before);
  EXPECT_EQ(chTokenDel, '\n');
  EXPECT_STREQ(GetTokenParse(const_cast<char*>(TOKEN_LINE_MODE), " \n"), "c");
}

TEST(Tokenizer, NestedScanResumesTheOuterOne) {
  EXPECT_EQ(Tok(GetToken("one,two,three", ",")), "one");
  const char* saved = szTokenIn;
  const char savedDel = chTokenDel;
  EXPECT_EQ(Tok(GetToken("inner;scan", ";")), "inner");
  SetTokenBuf(saved);
  chTokenDel = savedDel;
  EXPECT_EQ(Tok(GetToken(nullptr, ",")), "two");
  EXPECT_EQ(Tok(GetToken(nullptr, ",")), "three");
}

TEST(GetTokenN, PicksTheNthTokenAndLeavesTheScanBehindIt) {
  EXPECT_EQ(Tok(GetTokenN("p q r", " ", 2)), "q");
  EXPECT_EQ(Tok(GetToken(nullptr, " ")), "r");
  EXPECT_EQ(Tok(GetTokenN("p q r", " ", 1)), "p");
  EXPECT_EQ(Tok(GetTokenN("p q r", " ", 3)), "r");
  EXPECT_EQ(GetTokenN("p q r", " ", 4), nullptr);
  EXPECT_EQ(GetTokenN("p q r", " ", 0), nullptr);
  EXPECT_EQ(GetToken(nullptr, " "), nullptr);
}

TEST(FindToken, MatchesWholeFieldsOnly) {
  const char* keys = ",mode,bat,owner,group,";
  EXPECT_EQ(FindToken("mode", keys), 1);
  EXPECT_EQ(FindToken("bat", keys), 2);
  EXPECT_EQ(FindToken("group", keys), 4);
  EXPECT_EQ(FindToken("Bat", keys), 0);
  EXPECT_EQ(FindToken("mod", keys), 0);
  EXPECT_EQ(FindToken("bat,owner", keys), 2);
  EXPECT_EQ(FindToken("..", ";.;..;"), 2);
  EXPECT_EQ(FindToken(".", ";.;..;"), 1);
  EXPECT_EQ(FindToken("manual", ",manual,"), 1);
  EXPECT_EQ(FindToken("mode", "mode,bat,"), 0);  // no leading separator: first field lost

  EXPECT_EQ(FindToken("x", ""), 0);
  EXPECT_EQ(FindToken(nullptr, ",x,"), 0);
  EXPECT_EQ(FindToken("x", nullptr), 0);

  const std::string longest(509, 'k');
  EXPECT_EQ(FindToken(longest.c_str(), (",a," + longest + ",").c_str()), 2);
  const std::string over(510, 'k');
  EXPECT_EQ(FindToken(over.c_str(), (",a," + over + ",").c_str()), 0);
}

}  // namespace
