// The command table and the command lines made from it.
#include <unistd.h>

#include <cstdio>

#include "SysCmd/CmdLine.h"
#include "SysCmd/SysCmdFixture.h"
#include "utils/utils.h"

namespace {

using ComListTest = SysCmdTest;

// Resolves the table afresh from the given PATH (none when nullopt).
void InitWithPath(const std::optional<std::string>& path) {
  ScopedEnv env("PATH", path);
  ResetSysCmdList();
  InitSysCmdList();
}

TEST_F(ComListTest, PathOrderDecidesAndFixedListFillsTheRest) {
  const std::string a = scratch_ / "opt/bin", b = scratch_ / "usr/bin";
  std::filesystem::create_directories(a);
  std::filesystem::create_directories(b + "/tar");  // any kind of entry counts
  for (const std::string& file : {a + "/ls", b + "/ls", b + "/eject", b + "/rm", b + "/../ls"})
    WriteFile(file, "");
  InitWithPath(a + "::" + b);  // the empty entry is skipped
  EXPECT_EQ(ComList[CMD_LS].pPath, a);
  for (int row : {CMD_EJECT, CMD_EJECT_QUERY, CMD_RM, CMD_RM_RF, CMD_TAR_CREATE, CMD_TAR_EXTRACT})
    EXPECT_EQ(ComList[row].pPath, b) << row;
  EXPECT_STREQ(ComList[CMD_CAT].pPath, "/usr/bin");
  // A relative entry is kept as given.
  char here[4096];
  ASSERT_TRUE(getcwd(here, sizeof here) && chdir((scratch_ / "usr").c_str()) == 0);
  InitWithPath(".");
  ASSERT_EQ(chdir(here), 0);
  EXPECT_EQ(TakeText(GetCmd(CMD_LS)), "./ls ");
  // GetCmd joins directory, word and fixed arguments.
  InitWithPath(scratch_ / "bin");
  EXPECT_EQ(At(TakeText(GetCmd(CMD_CP))), "@/bin/cp -p");
  ComList[CMD_CP].pPath = nullptr;
  EXPECT_EQ(TakeText(GetCmd(CMD_CP)), "(none)");
  EXPECT_EQ(TakeText(GetCmd(CMD_SHELL)), "(none)");
}

TEST_F(ComListTest, FixedListAloneAndItsFill) {
  InitWithPath(std::nullopt);
  EXPECT_EQ(flSysCmdLog, 1);
  EXPECT_EQ(ComList[CMD_LS].pPath, SearchPaths);  // /usr/bin, first in the list, cut in place
  EXPECT_STREQ(ComList[CMD_LS].pPath, "/usr/bin");
  EXPECT_EQ(ComList[CMD_SHELL_LOG].pPath, nullptr);
  // FillCmdPaths says 0 once the table is complete; rows point into the
  // caller's text and the first directory found wins.
  const std::string all = scratch_ / "all", fake = FakeBinDir();
  std::filesystem::create_directories(all);
  for (int row = 2; ComList[row].pCmd; ++row) WriteFile(all + "/" + ComList[row].pCmd, "");
  ResetSysCmdList();
  EXPECT_EQ(FillCmdPaths((scratch_ / "missing").c_str()), 1);
  EXPECT_EQ(FillCmdPaths(fake.c_str()), 1);
  EXPECT_EQ(FillCmdPaths(all.c_str()), 0);
  EXPECT_EQ(ComList[CMD_SLEEP].pPath, fake.c_str());
  EXPECT_EQ(ComList[CMD_LPADMIN].pPath, all.c_str());
}

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
