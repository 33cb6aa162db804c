// The checks a package list line and a wrapper text pass before root acts
// on them, without running the installer.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "setup/Scripts.h"
#include "setup/setup.h"
#include "utils/TestDir.h"

namespace {

TEST(PkgList, ModesAsChmodReadsThem) {
  for (const char* ok : {"755", "4755", "0", "0644", "u+s", "a-w", "-w", "+t", "g=u,o-rwx",
                         "u=", "ug+rwX", "a+rw-x", "o=g"})
    EXPECT_TRUE(IsChmodMode(ok)) << ok;
  for (const char* bad : {"", "--reference=/etc/shadow", "--", "--r", "--s", "-R", "8", "04755x",
                          "07777 ", "u", "u+s,", ",u+s", "z+w", "u+q", "755,u+s", "u+ug", "00755"})
    EXPECT_FALSE(IsChmodMode(bad)) << bad;
}

TEST(PkgList, LinesRefusedBeforeTheyAreApplied) {
  const std::string cut(130, 'c');
  const struct {
    std::string line;
    bool complete;
    const char* err;  // null: accepted
  } cases[] = {
      {"prog mode 755 owner\n", true, nullptr},       // a keyword without a value is ignored
      {"prog colour -red mode -w\n", true, nullptr},  // unknown pairs are not looked at
      {"prog bat ../x\n", true, nullptr},             // a bad wrapper is only skipped when applied
      {"\n", true, nullptr},
      {"prog mode 755", false, "line too long"},
      {"../prog\n", true, "not a plain file name"},
      {cut + "\n", true, "not a plain file name"},
      {"prog mode --reference=/etc/shadow\n", true, "mode is not a chmod mode"},
      {"prog owner -1\n", true, "value begins with '-'"},
      {"prog group --reference=/x\n", true, "value begins with '-'"},
      {"prog owner " + cut + "\n", true, "value longer than 127 characters"},
  };
  for (const auto& c : cases) {
    PkgLine pl;
    const char* err = PkgLineError(c.line.c_str(), c.complete, &pl);
    EXPECT_EQ(err ? std::string(err) : "", c.err ? c.err : "") << c.line;
  }
  PkgLine pl;
  ASSERT_EQ(PkgLineError("prog mode,bat 7 bat w\r\n", true, &pl), nullptr);
  EXPECT_EQ(pl.File, "prog");
  EXPECT_EQ(PkgKeyword(pl.Words[1]), 0);  // a ',' never matches across entries
  EXPECT_EQ(PkgKeyword(pl.Words[3]), 2);
}

// The whole list is read before anything is done; every named file must
// be a plain file of the package, counted in the file's own lines.
TEST(PkgListDeathTest, NamesOnlyPlainFilesOfThePackage) {
  TestDir t;
  mkdir((t / "pkg").c_str(), 0755);
  mkdir((t / "pkg/sub").c_str(), 0755);
  t.Write("pkg/README", "");
  ASSERT_EQ(symlink("README", (t / "pkg/link").c_str()), 0);
  pZantoInstallDir = t.path().c_str();
  for (const char* name : {"sub", "link", "missing"}) {
    t.Write("pkg/pkg.list",
            "README mode 644 \\\n colour red\n\n" + std::string(name) + " mode 644\n");
    EXPECT_EXIT(LoadPkgList(), testing::ExitedWithCode(1),
                "pkg.list, line 4: no such file in the package\n$")
        << name;
  }
  t.Write("pkg/pkg.list", "README mode 644\n\n");
  EXPECT_EQ(LoadPkgList().size(), 1u);
}

TEST(PkgList, OnlyThisDriversWrappersAreReplaced) {
  const std::string head =
      "#! /usr/bin/sh\n\nTavrinFileSourceDir=`pwd`\nexport TavrinFileSourceDir\ncd ";
  EXPECT_TRUE(IsDriverWrapper((head + "/opt/Zanto/7315\n/opt/Zanto/7315/tavrin $*\n").c_str()));
  EXPECT_TRUE(IsDriverWrapper((head + "'/a b'\n'/a b'/t $*\n").c_str()));
  for (const std::string& other :
       {std::string("#!/bin/sh\nexec /bin/ls \"$@\"\n"), head + "/opt\n/opt/t $*\nrm -rf /\n",
        head + "/opt\n/opt/t $*", head + "\n/opt/t $*\n", head + "/opt\n"})
    EXPECT_FALSE(IsDriverWrapper(other.c_str())) << other;
}

}  // namespace
