#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "SysCmd/CmdLine.h"
#include "utils/utils.h"

namespace {

std::string Expand(const char* fmt, ...) PRINTF_FMT(1, 2);
std::string Expand(const char* fmt, ...) {
  std::string out;
  va_list ap;
  va_start(ap, fmt);
  AppendCmdFormat(out, fmt, ap);
  va_end(ap);
  return out;
}

// What the shell makes of a word: printf %s prints it back.
std::string ThroughShell(const std::string& word) {
  std::string cmd = "printf %s " + word;
  FILE* pipe = popen(cmd.c_str(), "r");
  std::string out;
  char buf[256];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  pclose(pipe);
  return out;
}

TEST(ShellQuoteTest, PlainValuesStayAsTheyAre) {
  for (const char* plain : {"", "/tmp/ZantoInstall", "666", "a-b_c.d+e,f:g=h@i%j", "pkg_tar.z1"}) {
    EXPECT_TRUE(IsPlainWord(plain)) << plain;
    EXPECT_EQ(ShellQuote(plain), plain);
  }
  for (const char* odd : {" ", "a b", "a;b", "$x", "`x`", "a'b", "*", "~", "a\nb", "x>y"})
    EXPECT_FALSE(IsPlainWord(odd)) << odd;
  EXPECT_EQ(ShellQuote("a b"), "'a b'");
  EXPECT_EQ(ShellQuote("it's"), "'it'\\''s'");
}

TEST(ShellQuoteTest, QuotedValuesReachCommandsUnchanged) {
  for (const std::string value :
       {"a;touch pwned", "it's", "$(id) `id` $HOME", "tab\there", "new\nline", "*?[a]", "'", "\\",
        "-n", "a  b"}) {
    EXPECT_EQ(ThroughShell(ShellQuote(value)), value);
  }
}

TEST(ShellQuoteTest, FormatKeepsItsOwnText) {
  EXPECT_EQ(Expand("%s/%s >> %s/%s.tar.Z", "/floppy/floppy0", "pkg_tar.z1", "/tmp/Z", "Pkg"),
            "/floppy/floppy0/pkg_tar.z1 >> /tmp/Z/Pkg.tar.Z");
  EXPECT_EQ(Expand("%s/* %s", "/floppy/floppy0", "/tmp/a b"), "/floppy/floppy0/* '/tmp/a b'");
  EXPECT_EQ(Expand("%s%s%s", "/tmp", "", ""), "/tmp");
  EXPECT_EQ(Expand("%s %i %li %5.2f %% %x %c", "x", 42, 17000000L, 1.5, 255, 'q'),
            "x 42 17000000  1.50 % ff q");
  EXPECT_EQ(Expand("%*d|%-3d|%03d", 4, 7, 8, 9), "   7|8  |009");
  EXPECT_EQ(Expand("%lld %zu %.2s", 12345678901LL, size_t{5}, "abc"), "12345678901 5 ab");
  EXPECT_EQ(Expand("%c", ';'), "';'");
}

}  // namespace
