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

TEST(CmdFormatTest, OnlyValuesAreQuoted) {
  // The format's own text is kept; only substituted values are quoted.
  EXPECT_EQ(Expand("%s/%s >> %s/%s.tar.Z", "/floppy/floppy0", "pkg_tar.z1", "/tmp/Z", "Pkg"),
            "/floppy/floppy0/pkg_tar.z1 >> /tmp/Z/Pkg.tar.Z");
  EXPECT_EQ(Expand("%s/* %s%s%c", "/floppy/floppy0", "/tmp/a b", "", ';'),
            "/floppy/floppy0/* '/tmp/a b'';'");
  EXPECT_EQ(Expand("%s %i %li %5.2f %% %x %c", "x", 42, 17000000L, 1.5, 255, 'q'),
            "x 42 17000000  1.50 % ff q");
  EXPECT_EQ(Expand("%*d|%-3d|%03d|%lld %zu %.2s", 4, 7, 8, 9, 12345678901LL, size_t{5}, "abc"),
            "   7|8  |009|12345678901 5 ab");
}

}  // namespace
