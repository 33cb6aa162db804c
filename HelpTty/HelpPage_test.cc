// The help viewer: a page as its menu shows it, the help files it takes,
// and the way through the screens.
#include <unistd.h>

#include <cstring>
#include <sstream>
#include <vector>

#include "HelpTty/HelpTesting.h"
#include "HelpTty/HelpTty.h"
#include "textmenu/MenuHarness.h"

namespace {

void Show(const std::string& file, unsigned screen = 0) {
  ASSERT_TRUE(SetHelpData(file.data(), file.size()));
  HistoryI = 0;
  History[0] = static_cast<uint16_t>(screen);
  LoadDisplay();
}

// The menu items as "kind:name" up to the end record, a link with its
// index and target.
std::vector<std::string> Items() {
  std::vector<std::string> items;
  for (TextMenuItem* i = HelpMenuItems; i < HelpMenuItems + HELP_MENU_ITEMS && i->pName; i++) {
    items.push_back(std::to_string(i->Kind) + ":" + i->pName);
    if (unsigned link = i - HelpMenuItems - 2; link < JmpAdrI)
      items.back() += "#" + std::to_string(i->Default.Int) + ">" + std::to_string(JmpAdr[link]);
  }
  return items;
}

// The menu of a page: the page, its links (with their targets) and the keys.
std::vector<std::string> Menu(const std::string& page, std::vector<std::string> links,
                              std::vector<int> targets = {}) {
  std::vector<std::string> items = {"0:" + page};
  if (!links.empty()) items.push_back("3:");
  for (size_t i = 0; i < links.size(); i++)
    items.push_back("7:" + links[i] + "#" + std::to_string(i) + ">" +
                    std::to_string(i < targets.size() ? targets[i] : 1));
  for (const char* key : {"3:", "3:", "6:~e Exit Help", "7:~c Contents", "7:~b Back"})
    items.push_back(key);
  return items;
}

TEST(LoadDisplay, PageTitleAndLinksWhateverTheFileHolds) {
  // Value 3 leads to screen 2.
  const std::string link = Bytes({4, 0, 3}) + "Setup" + Bytes({1});
  std::string abc = RawHelpFile({"abc"}), two = RawHelpFile({"abc", "def"});
  std::string longLen = abc, negLen = abc, farRecord = two;
  longLen[10] = 0x7f;  // length beyond the file: stops at its end
  negLen[10] = static_cast<char>(0x80);
  farRecord[7] = static_cast<char>(0xff);
  // More than 42 links: the rest are not offered, and the keys still
  // close the list; those alone on their lines are named in the page, and
  // their line breaks stay.
  std::string many, alone, named;
  std::vector<std::string> offered;
  for (int i = 0; i < 45; i++) {
    many += Bytes({4, 0, 1}) + "L" + std::to_string(i) + Bytes({1});
    alone += Bytes({4, 0, 1}) + "L" + std::to_string(i) + Bytes({1, 6});
    named += "<L" + std::to_string(i) + ">";
    if (i < HELP_MAX_LINKS) offered.push_back("L" + std::to_string(i));
  }
  // A link inside a line is named in the text and offered. A title drops
  // the text before it but not the line's state. Alone at the start of a
  // line a link is only offered and takes its break, with either code. A
  // literal run shows the codes as they are, and keeps the line empty.
  // Cut codes, lengths and offsets stay inside the file; page text and
  // strings are cut at their buffers' ends.
  // clang-format off
  const struct { std::string file; unsigned screen; std::string page, title;
                 std::vector<std::string> links; std::vector<int> targets; } cases[] = {
      {RawHelpFile({Bytes({2}) + "Intro" + Bytes({1}) + "Hello" + Bytes({6}) + "World"}), 0,
       "Hello\nWorld", "Intro", {}, {}},
      {RawHelpFile({"Go " + link + " now"}), 0, "Go <Setup> now", "", {"Setup"}, {3}},
      {RawHelpFile({"abc" + Bytes({2}) + "T2" + Bytes({1}) + link + Bytes({6}) + "x"}), 0,
       "<Setup>\nx", "T2", {"Setup"}, {3}},
      {RawHelpFile({"A" + Bytes({6}) + link + Bytes({6, 5, 0, 1}) + "Home" + Bytes({1, 6}) + "B"}),
       0, "A\nB", "", {"Setup", "Home"}, {3, 1}},
      {RawHelpFile({Bytes({3, 'x', 2, 3, 4, 5, 6, 1}) + link + Bytes({6}) + "y"}), 0,
       "x\x02\x03\x04\x05\x06y", "", {"Setup"}, {3}},
      {RawHelpFile({"a" + Bytes({2}) + "cut title"}), 0, "", "cut title", {}, {}},
      {RawHelpFile({"a" + Bytes({4, 0})}), 0, "a", "", {}, {}},  // link without its whole target
      {RawHelpFile({"a " + Bytes({4, 0, 1}) + "open"}), 0, "a <open>", "", {"open"}, {}},
      {RawHelpFile({Bytes({3}) + "open literal"}), 0, "open literal", "", {}, {}},
      {longLen, 0, "abc", "", {}, {}}, {negLen, 0, "", "", {}, {}}, {farRecord, 1, "", "", {}, {}},
      {two, 500, "", "", {}, {}}, {Bytes({0, 0}), 0, "", "", {}, {}},
      {RawHelpFile({many}), 0, named, "", offered, {}},
      {RawHelpFile({alone + "end"}), 0, "<L42>\n<L43>\n<L44>\nend", "", offered, {}},
      {RawHelpFile({std::string(40000, 'p')}), 0, std::string(HELP_PAGE_SIZE - 1, 'p'), "", {}, {}},
      {RawHelpFile({Bytes({2}) + std::string(9000, 't') + Bytes({1, 4, 0, 1}) + "x" + Bytes({1}) +
                    " " + Bytes({4, 0, 1}) + "y" + Bytes({1})}),
       0, "<> <>", std::string(HELP_STR_SIZE - 1, 't'), {"", ""}, {}}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.file.substr(0, 80)));
    HelpMenu.pTitle = nullptr;
    Show(c.file, c.screen);
    EXPECT_EQ(HelpPageBuf, c.page);
    EXPECT_STREQ(HelpMenu.pTitle, c.title.c_str());
    EXPECT_EQ(Items(), Menu(c.page, c.links, c.targets));
  }
}

TEST(LoadDisplay, ScreensWithoutTitleKeepTheOneBefore) {
  Show(HelpFile("@screen a\n@title Same\n@screen b\n@title Same\n@screen c\nno title\n"));
  const char* first = HelpMenu.pTitle;  // one saved title string
  for (uint16_t s : {1, 2}) {
    History[0] = s;
    LoadDisplay();
    EXPECT_EQ(HelpMenu.pTitle, first);
  }
  EXPECT_STREQ(first, "Same");
}

TEST(HelpFiles, ScreenTableAndLoading) {
  std::string f = RawHelpFile({"a", "b", "c"});
  ASSERT_TRUE(SetHelpData(f.data(), f.size()));
  // The table ends at the contents record.
  for (unsigned s : {0u, 1u, 2u, 3u, 0xffffu}) EXPECT_EQ(HelpScreenExists(s), s < 3) << s;
  ASSERT_TRUE(SetHelpData("", 0));
  EXPECT_TRUE(HelpScreenExists(0));  // Contents always loads, even if empty
  EXPECT_FALSE(HelpScreenExists(1));

  TestDir dir;
  std::string good = RawHelpFile({std::string(65535 - 14, 'g')});
  ASSERT_TRUE(LoadHelpFile(dir.Write("good", good).c_str()));
  // Refused: too long, missing, not a regular file. The file taken
  // before stays. A shorter file leaves nothing of the longer one readable.
  std::string big(65536, 'b');
  for (const std::string& path : {dir.Write("big", big), dir / "missing", dir.path()})
    EXPECT_FALSE(LoadHelpFile(path.c_str()));
  EXPECT_FALSE(SetHelpData(big.data(), big.size()));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(Data), FileSize), good);
  ASSERT_TRUE(LoadHelpFile(dir.Write("short", RawHelpFile({"s"})).c_str()));
  EXPECT_EQ(FileSize, 15u);
  EXPECT_EQ(Data[20], 0);
}

// The shipped help: every screen has a title, fits an 80x24 terminal and
// is reached by a link.
TEST(ShippedHelp, EveryScreenReadsWell) {
  std::string f = HelpFile(ShippedHelpSource());  // fails when SETUP_SOURCE_DIR is not set
  ASSERT_TRUE(SetHelpData(f.data(), f.size()));
  unsigned count = 1;
  while (HelpScreenExists(count)) count++;
  EXPECT_GE(count, 10u);
  std::vector<bool> reached(count);
  reached[0] = true;
  for (unsigned s = 0; s < count; s++) {
    HelpMenu.pTitle = "";
    Show(f, s);
    ASSERT_STRNE(HelpMenu.pTitle, "") << "screen " << s;
    std::stringstream page(std::string(HelpPageBuf) + " ");
    int lines = 0;
    for (std::string line; std::getline(page, line); lines++)
      EXPECT_LE(line.size(), 78u) << HelpMenu.pTitle << ": " << line;
    // Title block, page, link rows, keys and prompt.
    EXPECT_LE(3 + lines + 1 + (JmpAdrI + 2) / 3 + 4, 24) << HelpMenu.pTitle;
    for (unsigned l = 0; l < JmpAdrI; l++) {
      ASSERT_LT(JmpAdr[l] - 1u, count) << HelpMenu.pTitle;
      reached[JmpAdr[l] - 1u] = true;
    }
  }
  for (unsigned s = 0; s < count; s++) EXPECT_TRUE(reached[s]) << "screen " << s;
}

// The viewer driven through the menu loop: a scripted operator in a child
// process, whose screens are compared byte for byte. The test shows no
// help in its own process: the child starts as a run that never has.
std::string gNextHelp;  // what item 1 writes as the help file
std::string gHelpPath;

// The test's own menu, from which help is asked for with h.
int ChangeHelp(TextMenu*, TextMenuItem*) { return std::ofstream(gHelpPath) << gNextHelp, 1; }
int RemoveHelp(TextMenu*, TextMenuItem*) { return unlink(gHelpPath.c_str()), 1; }
TextMenuItem OuterItems[] = {Item("Change help file", TM_ACTION, ChangeHelp),
                             Item("Remove help file", TM_ACTION, RemoveHelp),
                             Item("~q Quit", TM_EXIT), End()};
TextMenu Outer = Menu("Help Test", OuterItems, TMF_NORETURN | TMF_HELP);

// Runs the outer menu on the input, with the help file beside the
// "program" in dir and a clear that prints nothing; returns its output.
std::string Scripted(const TestDir& dir, const std::string& help, const std::string& input) {
  gHelpPath = dir / "setup.hlp";
  if (!help.empty()) dir.Write("setup.hlp", help);
  ScriptedRun r = RunScripted(input, [&] {
    pToolPath = strdup(dir.path().c_str());
    RunMenu(&Outer, nullptr, 1);
  });
  EXPECT_EQ(r.status, 0);
  return r.out;
}

const std::string kOuter = "\f\n" + std::string(35, ' ') +
                           "Help Test\n\n 1) Change help file \n\n" +
                           " 2) Remove help file \n\n q) Quit \n\nEnter option or h for help: ";

// One help screen, centred by its own title (pad blanks): the page, the
// links in 25-column cells, an empty line, the three keys and the prompt.
std::string Help(int pad, const std::string& title, const std::string& page,
                 const std::vector<std::string>& links = {}) {
  std::string row;
  for (const std::string& l : links) {
    std::string cell = " " + std::to_string(row.size() / 25 + 1) + ") " + l;
    row += cell.append(25 - cell.size(), ' ');
  }
  return "\f\n" + std::string(pad, ' ') + title + "\n\n" + page + " \n\n" + row +
         (links.empty() ? "\n" : "\n\n") + " e) Exit Help" + std::string(12, ' ') + " c) Contents" +
         std::string(13, ' ') + " b) Back" + std::string(17, ' ') + "\n\nEnter option: ";
}

TEST(HelpNavigation, LinksBackContentsReloadAndLongWalks) {
  TestDir dir;
  const std::string chain = HelpFile(
      "@screen contents\n@title Contents\nStart here.\n{one|First}\n"
      "@screen one\n@title One\nScreen one, see {two|Second}.\n"
      "@screen two\n@title Two\n{three|Third}\n"
      "@screen three\n@title Three\nLast.\n{#1|Home}\n");
  const std::string C = Help(36, "Contents", "Start here.\n", {"First"});
  const std::string S1 = Help(38, "One", "Screen one, see <Second>.\n", {"Second"});
  const std::string S2 = Help(38, "Two", "", {"Third"}),
                    S3 = Help(37, "Three", "Last.\n", {"Home"});
  const std::string c = Help(39, "C", "", {"D"}), d = Help(39, "D", "", {"Zero", "Far"});
  const std::string a = Help(39, "A", "", {"To B"}), b = Help(39, "B", "", {"To A"});
  gNextHelp = HelpFile("@screen new\n@title New Contents\nChanged.\n");
  const std::string n = Help(34, "New Contents", "Changed.\n");
  const std::string noFile =
      "ERROR: couldn't open " + (dir / "setup.hlp") + "\nPress <Return> to continue ";
  std::string walk = "h\n1\n", walked = a;
  for (int step = 1; step <= 99; step++) walk += "1\n", walked += step % 2 ? b : a;
  // Three links, then Back four times: the fourth changes nothing.
  // Contents after links; the next Back does nothing; an empty line only
  // redraws. A link with value 1 leads to the contents and is a step of
  // its own. An empty file name keeps the file of the run before. Help
  // reads the file each time: changed, help starts at the new contents;
  // gone, the message is shown and the help menu runs with what it held,
  // or without any file the asking menu comes back. Links to screens the
  // file lacks do nothing, and take no step. 99 forward steps are kept;
  // the 100th link is ignored, Back still works.
  // clang-format off
  const struct { std::string file, input, screens; } runs[] = {
      {chain, "h\n1\n1\n1\nb\nb\nb\nb\ne\nq\n", C + S1 + S2 + S3 + S2 + S1 + C + C},
      {"", "h\n1\n1\nc\nb\n\ne\nq\n", C + S1 + S2 + C + C + C},
      {"", "h\n1\n1\n1\n1\nb\nb\ne\nq\n", C + S1 + S2 + S3 + C + S3 + S2},
      {"", "h\n1\ne\n1\nh\ne\n2\nh\n\ne\nq\n",
       C + S1 + kOuter + kOuter + n + kOuter + kOuter + noFile + n},
      {"", "h\n\nq\n", noFile},
      {HelpFile("@screen c\n@title C\n{d|D}\n@screen d\n@title D\n{#0|Zero}\n{#9|Far}\n"),
       "h\n1\n1\n2\nb\nb\ne\nq\n", c + d + d + d + c + c},
      {HelpFile("@screen a\n@title A\n{b|To B}\n@screen b\n@title B\n{a|To A}\n"),
       walk + "b\ne\nq\n", walked + b + a}};
  // clang-format on
  for (const auto& run : runs)
    EXPECT_EQ(Scripted(dir, run.file, run.input), kOuter + run.screens + kOuter) << run.input;
}

}  // namespace
