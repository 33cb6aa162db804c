#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "HelpTty/HelpTesting.h"

namespace {

void Show(const std::string& file, unsigned screen) {
  ASSERT_TRUE(SetHelpData(file.data(), file.size()));
  HistoryI = 0;
  History[0] = static_cast<uint16_t>(screen);
  LoadDisplay();
}

// The menu items as "kind:name" up to the end record.
std::vector<std::string> Items() {
  std::vector<std::string> items;
  for (TextMenuItem* i = HelpMenuItems; i->pName && i < HelpMenuItems + HELP_MENU_ITEMS; i++)
    items.push_back(std::to_string(i->Kind) + ":" + i->pName);
  return items;
}

const std::vector<std::string> kCommon = {"3:", "3:", "6:~e Exit Help", "7:~c Contents",
                                          "7:~b Back"};

std::vector<std::string> Menu(const std::string& page, std::vector<std::string> links) {
  std::vector<std::string> items = {"0:" + page};
  if (!links.empty()) items.push_back("3:");
  for (const std::string& l : links) items.push_back("7:" + l);
  items.insert(items.end(), kCommon.begin(), kCommon.end());
  return items;
}

TEST(LoadDisplay, TitlePageAndLinks) {
  // Title, page text and line break; the menu is the page and the keys.
  Show(RawHelpFile({Bytes({2}) + "Intro" + Bytes({1}) + "Hello" + Bytes({6}) + "World"}), 0);
  EXPECT_STREQ(HelpMenu.pTitle, "Intro");
  EXPECT_STREQ(HelpPageBuf, "Hello\nWorld");
  EXPECT_EQ(Items(), Menu("Hello\nWorld", {}));
  EXPECT_EQ(HelpMenuItems[1].Value.Int, 3);
  EXPECT_EQ(HelpMenuItems[4].Handler, HelpContent);
  EXPECT_EQ(HelpMenuItems[5].Handler, HelpBack);

  // A link inside a line is named in the text and offered; its value 3
  // leads to screen 2.
  std::string link = Bytes({4, 0, 3}) + "Setup" + Bytes({1});
  Show(RawHelpFile({"Go " + link + " now"}), 0);
  EXPECT_STREQ(HelpPageBuf, "Go <Setup> now");
  EXPECT_EQ(Items(), Menu("Go <Setup> now", {"Setup"}));
  EXPECT_EQ(JmpAdrI, 1);
  EXPECT_EQ(JmpAdr[0], 3);
  EXPECT_EQ(HelpMenuItems[2].Default.Int, 0);
  EXPECT_EQ(HelpMenuItems[2].Handler, HelpPickTopic);

  // Alone at the start of a line it is only offered and takes its break;
  // the alternate code does the same, and a second link is number 1.
  Show(RawHelpFile({"A" + Bytes({6}) + link + Bytes({6, 5, 0, 1}) + "Home" + Bytes({1, 6}) +
                    "B"}),
       0);
  EXPECT_STREQ(HelpPageBuf, "A\nB");
  EXPECT_EQ(Items(), Menu("A\nB", {"Setup", "Home"}));
  EXPECT_EQ(HelpMenuItems[3].Default.Int, 1);
  EXPECT_EQ(JmpAdr[1], 1);

  // A literal run shows the code bytes as they are, and keeps the line
  // empty for a link behind it.
  Show(RawHelpFile({Bytes({3, 'x', 2, 3, 4, 5, 6, 1}) + link + Bytes({6}) + "y"}), 0);
  EXPECT_STREQ(HelpPageBuf, "x\x02\x03\x04\x05\x06y");
}

TEST(LoadDisplay, TitlesReplaceTextAndAreKept) {
  std::string file = HelpFile(
      "@screen a\nlost text\n@title Same\nkept\n"
      "@screen b\n@title Same\nsecond\n"
      "@screen c\n@title Other\n"
      "@screen d\nno title\n");
  Show(file, 0);
  EXPECT_STREQ(HelpPageBuf, "kept\n");
  const char* title = HelpMenu.pTitle;
  EXPECT_STREQ(title, "Same");
  History[0] = 1;
  LoadDisplay();
  EXPECT_STREQ(HelpPageBuf, "second\n");
  EXPECT_EQ(HelpMenu.pTitle, title);  // the one saved title string
  History[0] = 2;
  LoadDisplay();
  EXPECT_STREQ(HelpMenu.pTitle, "Other");
  EXPECT_STREQ(HelpPageBuf, "");
  History[0] = 3;
  LoadDisplay();
  EXPECT_STREQ(HelpMenu.pTitle, "Other");  // a screen without title keeps it
}

TEST(LoadDisplay, StaysInsideItsBuffersWhateverTheFileHolds) {
  // Codes cut off by the end of the screen: the title runs to the end, a
  // link without its whole target is dropped.
  Show(RawHelpFile({"a" + Bytes({2}) + "cut title"}), 0);
  EXPECT_STREQ(HelpMenu.pTitle, "cut title");
  EXPECT_STREQ(HelpPageBuf, "");
  Show(RawHelpFile({"a" + Bytes({4, 0})}), 0);
  EXPECT_STREQ(HelpPageBuf, "a");
  EXPECT_EQ(JmpAdrI, 0);
  Show(RawHelpFile({"a " + Bytes({4, 0, 1}) + "open"}), 0);
  EXPECT_STREQ(HelpPageBuf, "a <open>");
  EXPECT_EQ(Items(), Menu("a <open>", {"open"}));
  Show(RawHelpFile({Bytes({3}) + "open literal"}), 0);
  EXPECT_STREQ(HelpPageBuf, "open literal");

  // A length beyond the file stops at its end; a negative one is empty.
  std::string f = RawHelpFile({"abc"});
  f[10] = 0x7f;
  Show(f, 0);
  EXPECT_STREQ(HelpPageBuf, "abc");
  f[10] = static_cast<char>(0x80);
  Show(f, 0);
  EXPECT_STREQ(HelpPageBuf, "");
  // Record and table entries outside the file give an empty screen.
  f = RawHelpFile({"abc", "def"});
  f[7] = static_cast<char>(0xff);
  Show(f, 1);
  EXPECT_STREQ(HelpPageBuf, "");
  Show(f, 500);
  EXPECT_STREQ(HelpPageBuf, "");
  EXPECT_EQ(Items(), Menu("", {}));
  Show(Bytes({0, 0}), 0);
  EXPECT_STREQ(HelpPageBuf, "");

  // More than 42 links: the rest are not offered, and the keys still
  // close the list.
  std::string many;
  for (int i = 0; i < 45; i++) many += Bytes({4, 0, 1}) + "L" + std::to_string(i) + Bytes({1});
  Show(RawHelpFile({many}), 0);
  EXPECT_EQ(JmpAdrI, HELP_MAX_LINKS);
  EXPECT_STREQ(HelpMenuItems[2 + 41].pName, "L41");
  EXPECT_EQ(HelpMenuItems[2 + 42].Kind, TM_BAR);
  EXPECT_STREQ(HelpMenuItems[48].pName, "~b Back");
  EXPECT_EQ(HelpMenuItems[49].pName, nullptr);
  EXPECT_NE(strstr(HelpPageBuf, "<L44>"), nullptr);

  // Page text and strings are cut at their buffers' ends.
  Show(RawHelpFile({std::string(40000, 'p')}), 0);
  EXPECT_EQ(strlen(HelpPageBuf), HELP_PAGE_SIZE - 1u);
  Show(RawHelpFile({Bytes({2}) + std::string(9000, 't') + Bytes({1, 4, 0, 1}) + "x" +
                    Bytes({1}) + " " + Bytes({4, 0, 1}) + "y" + Bytes({1})}),
       0);
  EXPECT_EQ(strlen(HelpMenu.pTitle), HELP_STR_SIZE - 1u);
  EXPECT_STREQ(HelpMenuItems[2].pName, "");
  EXPECT_STREQ(HelpMenuItems[3].pName, "");
  EXPECT_STREQ(HelpPageBuf, "<> <>");
}

TEST(HelpScreens, TableEndsAtTheContentsRecord) {
  std::string f = RawHelpFile({"a", "b", "c"});
  ASSERT_TRUE(SetHelpData(f.data(), f.size()));
  EXPECT_TRUE(HelpScreenExists(0));
  EXPECT_TRUE(HelpScreenExists(2));
  EXPECT_FALSE(HelpScreenExists(3));
  EXPECT_FALSE(HelpScreenExists(0xffff));
  ASSERT_TRUE(SetHelpData("", 0));
  EXPECT_TRUE(HelpScreenExists(0));  // Contents always loads, even if empty
  EXPECT_FALSE(HelpScreenExists(1));
}

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/helpttyXXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempDir() { EXPECT_EQ(system(("rm -rf '" + path_ + "'").c_str()), 0); }
  std::string File(const char* name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(LoadHelpFile, ReadsWholeFilesUpTo65535Bytes) {
  TempDir dir;
  std::string good = RawHelpFile({std::string(65535 - 14, 'g')});
  Write(dir.File("good"), good);
  ASSERT_TRUE(LoadHelpFile(dir.File("good").c_str()));
  EXPECT_EQ(FileSize, 65535u);
  EXPECT_EQ(memcmp(Data, good.data(), good.size()), 0);

  // Refused: too long, missing, not a regular file. The file taken
  // before stays.
  Write(dir.File("big"), RawHelpFile({std::string(65536 - 14, 'b')}));
  EXPECT_FALSE(LoadHelpFile(dir.File("big").c_str()));
  EXPECT_FALSE(LoadHelpFile(dir.File("missing").c_str()));
  EXPECT_FALSE(LoadHelpFile(dir.File("").c_str()));
  EXPECT_EQ(FileSize, 65535u);
  EXPECT_EQ(Data[20], 'g');
  std::string big(65536, 'x');
  EXPECT_FALSE(SetHelpData(big.data(), big.size()));

  // A shorter file leaves nothing of the longer one readable.
  Write(dir.File("short"), RawHelpFile({"s"}));
  ASSERT_TRUE(LoadHelpFile(dir.File("short").c_str()));
  EXPECT_EQ(FileSize, 15u);
  EXPECT_EQ(Data[20], 0);
}

TEST(HeaderRecords, BigEndianFieldsAdvanceThePosition) {
  std::string f = Bytes({7, 0x12, 0x34, 9, 0xab, 0xcd, 0xff, 0xff, 0xff, 0xfe, 1});
  ASSERT_TRUE(SetHelpData(f.data(), f.size()));
  uint32_t pos = 0;
  GetJumpRec(&pos);
  EXPECT_EQ(pos, 3u);
  EXPECT_EQ(JR.Type, 7);
  EXPECT_EQ(JR.Value, 0x1234);
  GetDataRec(&pos);
  EXPECT_EQ(pos, 10u);
  EXPECT_EQ(DR.Type, 9);
  EXPECT_EQ(DR.Field, 0xabcd);
  EXPECT_EQ(DR.Len, -2);
  // Past the end of the file every byte reads as 0.
  pos = 7;
  GetDataRec(&pos);
  EXPECT_EQ(DR.Type, 0xff);
  EXPECT_EQ(DR.Field, 0xfffe);
  EXPECT_EQ(DR.Len, 0x01000000);
}

// The shipped help: every screen has a title, fits an 80-column terminal
// and leads back to the contents; every screen is reachable.
std::string ShippedHelp() {
  const char* dir = getenv("SETUP_SOURCE_DIR");
  std::ifstream in(std::string(dir ? dir : ".") + "/help/setup.hlpsrc", std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(ShippedHelp, EveryScreenReadsWell) {
  std::string src = ShippedHelp();
  ASSERT_FALSE(src.empty()) << "SETUP_SOURCE_DIR not set?";
  std::string f = HelpFile(src);
  ASSERT_TRUE(SetHelpData(f.data(), f.size()));
  unsigned count = 0;
  while (HelpScreenExists(count + 1)) count++;
  count++;
  EXPECT_GE(count, 10u);
  std::vector<bool> reached(count);
  reached[0] = true;
  for (unsigned s = 0; s < count; s++) {
    HelpMenu.pTitle = nullptr;
    Show(f, s);
    ASSERT_NE(HelpMenu.pTitle, nullptr) << "screen " << s;
    EXPECT_GT(strlen(HelpMenu.pTitle), 0u) << "screen " << s;
    EXPECT_GT(JmpAdrI + strlen(HelpPageBuf), 0u) << "screen " << s;
    std::stringstream page(std::string(HelpPageBuf) + " ");
    std::string line;
    int lines = 0;
    while (std::getline(page, line)) {
      lines++;
      EXPECT_LE(line.size(), 78u) << HelpMenu.pTitle << ": " << line;
    }
    // Title block, page, link rows, keys and prompt on 24 lines.
    EXPECT_LE(3 + lines + 1 + (JmpAdrI + 2) / 3 + 4, 24) << HelpMenu.pTitle;
    for (unsigned l = 0; l < JmpAdrI; l++) {
      unsigned target = JmpAdr[l] - 1u;
      ASSERT_LT(target, count) << HelpMenu.pTitle;
      reached[target] = true;
    }
  }
  for (unsigned s = 0; s < count; s++) EXPECT_TRUE(reached[s]) << "screen " << s;
}

}  // namespace
