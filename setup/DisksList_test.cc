#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "setup/setup.h"
#include "utils/utils.h"

namespace {

// What the whole-program tests leave out; the end of the list is a line
// that is exactly the marker, and nothing after it is looked at.
TEST(DisksList, Lines) {
  const struct {
    std::string text;
    bool stopAtWord;
    DisksLines lines;
  } cases[] = {
      {"a\nend_of_list \nb\nend_of_list\n../x\n", false, {{"a"}, {"end_of_list"}, {"b"}}},
      {"disks a end_of_list b\nc\n", false, {{"disks", "a", "end_of_list", "b"}, {"c"}}},
      {"disks a end_of_list ../b\nc\n", true, {{"disks", "a"}, {"c"}}},
      {"end_of_list\nx\n", true, {}},
      {"disks " + std::string(127, 'n') + "\r\n", false, {{"disks", std::string(127, 'n')}}},
  };
  for (const auto& c : cases) {
    DisksLines lines;
    EXPECT_EQ(SplitDisksList(c.text.c_str(), c.stopAtWord, &lines), nullptr) << c.text;
    EXPECT_EQ(lines, c.lines) << c.text;
  }
}

// Lists that cannot be used end the program before anything is copied.
TEST(DisksListDeathTest, Refused) {
  const std::string err = "^ERROR: the list /m/disks ";
  const struct {
    std::string text, why;
  } cases[] = {
      {"disks ../etc/passwd\n", "names \"../etc/passwd\", which is not a plain file name\n$"},
      {"disks\n/etc/shadow\n", "names \"/etc/shadow\", which is not a plain file name\n$"},
      {"a .\n", "names \".\", which is not a plain file name\n$"},
      {"..\n", "names \"..\", which is not a plain file name\n$"},
      {"a\\/b\n", "names \"a/b\", which is not a plain file name\n$"},  // the backslash escapes
      // Control bytes, also those the escapes make, would split a command line.
      {"disks a\\nb\n", "names \"a\nb\", which is not a plain file name\n$"},
      {"a\\tb\n", "names \"a\tb\", which is not a plain file name\n$"},
      {"a\x01 b\n", "names \"a\x01\", which is not a plain file name\n$"},
      {"disks a\x7f\n", "names \"a\x7f\", which is not a plain file name\n$"},
      {"disks " + std::string(128, 'x') + "\n", "holds a name longer than 127 characters\n$"},
  };
  for (const auto& c : cases) {
    std::strcpy(LineBuf, c.text.c_str());
    EXPECT_EXIT(LoadDisksList("/m/disks", false), testing::ExitedWithCode(1), err + c.why);
  }
  std::strcpy(LineBuf, "disks pkg_tar.z1\n");
  flContentCut = 1;
  EXPECT_EXIT(LoadDisksList("/m/disks", false), testing::ExitedWithCode(1),
              err + "is longer than 4095 bytes\n$");
  flContentCut = 0;
  EXPECT_EQ(LoadDisksList("/m/disks", false), (DisksLines{{"disks", "pkg_tar.z1"}}));
}

}  // namespace
