#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "setup/setup.h"
#include "utils/utils.h"

namespace {

DisksLines Split(const char* text, bool stopAtWord) {
  DisksLines lines;
  const char* why = SplitDisksList(text, stopAtWord, &lines);
  EXPECT_EQ(why, nullptr) << why;
  return lines;
}

TEST(DisksList, LinesAndEnd) {
  DisksLines expected = {{"disks", "setup.hlp", "pkg_tar.z1"}, {"pkg_tar.z2"}};
  // Blank lines and CR LF ends do not shift the diskette numbering.
  EXPECT_EQ(Split("disks setup.hlp pkg_tar.z1\n\n\r\npkg_tar.z2\n", false), expected);
  EXPECT_EQ(Split("disks\tsetup.hlp  pkg_tar.z1\r\npkg_tar.z2", false), expected);
  // Only a line that is exactly the marker ends the list.
  EXPECT_EQ(Split("disks setup.hlp pkg_tar.z1\npkg_tar.z2\nend_of_list\npkg_tar.z3\n", false),
            expected);
  EXPECT_EQ(Split("a\nend_of_list \nb\n", false), (DisksLines{{"a"}, {"end_of_list"}, {"b"}}));
  EXPECT_TRUE(Split("", false).empty());
  EXPECT_TRUE(Split("end_of_list\nx\n", true).empty());
}

TEST(DisksList, MarkerInsideALine) {
  const char* text = "disks a end_of_list b\nc\n";
  EXPECT_EQ(Split(text, true), (DisksLines{{"disks", "a"}, {"c"}}));
  EXPECT_EQ(Split(text, false), (DisksLines{{"disks", "a", "end_of_list", "b"}, {"c"}}));
}

TEST(DisksList, RefusesNamesLeavingTheDirectory) {
  DisksLines lines;
  for (const char* text :
       {"disks ../etc/passwd\n", "disks\n/etc/shadow\n", "a .\n", "..\n", "a\\/b\n"}) {
    const char* why = SplitDisksList(text, false, &lines);
    ASSERT_NE(why, nullptr) << text;
    EXPECT_NE(std::strstr(why, "not a plain file name"), nullptr) << why;
  }
  // After the end of the list nothing is looked at.
  EXPECT_EQ(SplitDisksList("a\nend_of_list\n../x\n", false, &lines), nullptr);
  EXPECT_EQ(SplitDisksList("a end_of_list ../x\n", true, &lines), nullptr);

  EXPECT_TRUE(IsPlainFileName("pkg_tar.z1"));
  EXPECT_TRUE(IsPlainFileName("..."));
  EXPECT_FALSE(IsPlainFileName(""));
  EXPECT_FALSE(IsPlainFileName(nullptr));
}

TEST(DisksList, RefusesCutNames) {
  std::string text = "disks " + std::string(127, 'n') + "\n";
  DisksLines lines;
  EXPECT_EQ(SplitDisksList(text.c_str(), false, &lines), nullptr);
  EXPECT_EQ(lines[0][1].size(), 127u);
  text = "disks " + std::string(128, 'n') + "\n";
  const char* why = SplitDisksList(text.c_str(), false, &lines);
  ASSERT_NE(why, nullptr);
  EXPECT_NE(std::strstr(why, "longer than 127"), nullptr);
}

TEST(DisksListDeathTest, LoadRefusesCutOrBadLists) {
  std::strcpy(LineBuf, "disks pkg_tar.z1\n");
  flContentCut = 1;
  EXPECT_EXIT(LoadDisksList("/m/disks", false), testing::ExitedWithCode(1),
              "^ERROR: the list /m/disks is longer than 4095 bytes\n$");
  flContentCut = 0;
  std::strcpy(LineBuf, "disks ../pkg_tar.z1\n");
  EXPECT_EXIT(LoadDisksList("/m/disks", false), testing::ExitedWithCode(1),
              "^ERROR: the list /m/disks names \"../pkg_tar.z1\", which is not a plain file "
              "name\n$");
  std::strcpy(LineBuf, "disks pkg_tar.z1\n");
  EXPECT_EQ(LoadDisksList("/m/disks", false), (DisksLines{{"disks", "pkg_tar.z1"}}));
}

}  // namespace
