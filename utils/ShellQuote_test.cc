#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "utils/utils.h"

namespace {

TEST(ShellQuoteTest, OnlyValuesThatNeedItAreQuoted) {
  for (const char* plain : {"", "/tmp/ZantoInstall", "666", "a-b_c.d+e,f:g=h@i%j"}) {
    EXPECT_TRUE(IsPlainWord(plain)) << plain;
    EXPECT_EQ(ShellQuote(plain), plain);
  }
  for (const char* odd : {" ", "a;b", "$x", "`x`", "a'b", "*", "~", "a\nb", "x>y"})
    EXPECT_FALSE(IsPlainWord(odd)) << odd;
  EXPECT_EQ(ShellQuote("it's"), "'it'\\''s'");
  // What the shell makes of the quoted word: printf %s prints it back.
  for (const std::string value : {"a;touch pwned", "$(id) `id` $HOME", "tab\there", "new\nline",
                                  "*?[a]", "'", "\\", "-n", "a  b"}) {
    FILE* pipe = popen(("printf %s " + ShellQuote(value)).c_str(), "r");
    std::string out;
    for (int c; (c = std::fgetc(pipe)) != EOF;) out += static_cast<char>(c);
    pclose(pipe);
    EXPECT_EQ(out, value);
  }
}

}  // namespace
