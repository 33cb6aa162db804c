// Files: reading, editing, listing and finding them, and whether root may
// act on a path.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "MemMgr/MemMgr.h"
#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

char kSetup[] = "setup";

using ::testing::ExitedWithCode;

class FileReadTest : public ::testing::Test {
 protected:
  void SetUp() override { my_name = kSetup; }
  void TearDown() override { CloseInputFile(); }
  TestDir dir_;
};

TEST_F(FileReadTest, OpenLevels) {
  const std::string bad = dir_ / "none/file", present = dir_.Write("present", "x\n");
  testing::internal::CaptureStderr();
  for (int level : {0, 1}) EXPECT_EQ(OpenFile(nullptr, bad.c_str(), "wt", level), nullptr);
  ASSERT_EQ(OpenInputFile(present.c_str(), 2), 1);
  strcpy(LineBuf, "stale");
  for (int level : {0, 1}) EXPECT_EQ(OpenInputFile(bad.c_str(), level), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: can't open file, " + bad + "\nWARNING: can't open file, " + bad + "\n");
  EXPECT_TRUE(pIn == nullptr && LineBuf[0] == '\0');  // the earlier input file is gone too
  EXPECT_EXIT(OpenFile(nullptr, bad.c_str(), "wt", 2), ExitedWithCode(1),
              "^\nsetup: can't open file, .*/none/file : No such file or directory\n$");
  EXPECT_EXIT(OpenInputFile(bad.c_str(), 2), ExitedWithCode(1),
              "^ERROR: can't open file, .*/none/file\n$");
  // An open stream is reopened on the new path.
  FILE* f = OpenFile(OpenFile(nullptr, bad.c_str(), "w", 0), present.c_str(), "r", 2);
  EXPECT_STREQ(fgets(LineBuf, 8, f), "x\n");
  fclose(f);
  // A formatted path that does not fit is not cut to one that exists.
  const std::string cut = dir_.path() + std::string(504 - dir_.path().size(), '/') + "present";
  EXPECT_EQ(OpenFileF(nullptr, "rt", 0, "%s", (cut + "xx").c_str()), nullptr);
  EXPECT_EQ(OpenInputFileF(0, "%s", cut.c_str()), 1);
  EXPECT_EQ(OpenInputFileF(0, "%s", (cut + "xx").c_str()), 0);
  EXPECT_EQ(pIn, nullptr);
  testing::internal::CaptureStdout();
  EXPECT_LT(OpenRawFile(bad.c_str(), O_RDONLY), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR: can't open file, " + bad);
}

TEST_F(FileReadTest, LinesJoinedCutAndTokenized) {
  std::string z1365;  // 4095 bytes: what LineBuf holds
  for (int i = 0; i < 1365; i++) z1365 += "z\\\n";
  const struct { std::string text; std::vector<std::string> lines; } cases[] = {
      {"a \\\nb\nc\n", {"a \\\nb\n", "c\n"}},
      {std::string(600, 'q') + "\n", {std::string(510, 'q'), std::string(90, 'q') + "\n"}},
      {z1365 + "end\n", {z1365, "end\n"}},
  };
  std::vector<std::string> got;
  for (const auto& c : cases) {
    ASSERT_EQ(OpenInputFile(dir_.Write("f", c.text).c_str(), 2), 1);
    for (got.clear(); GetFileLine();) got.push_back(LineBuf);
    EXPECT_EQ(got, c.lines) << c.text;
  }
  // First tokens of the lines that are no comment.
  const std::string p = dir_.Write("words", "# comment\n\n  \t\nalpha beta\n\tgamma\n");
  ASSERT_EQ(OpenInputFile(p.c_str(), 2), 1);
  EXPECT_EQ(GetFileTextLine(nullptr), 0);
  for (got.clear(); GetFileTextLine(" \t\n");) got.push_back(LineBuf);
  EXPECT_EQ(got, (std::vector<std::string>{"alpha", "gamma"}));
  FILE* f = fopen(p.c_str(), "r");
  fgetsp(LineBuf, 4, f, 15);
  EXPECT_STREQ(LineBuf, "alp");
  fclose(f);
}

TEST_F(FileReadTest, WholeFilesSearchAndSize) {
  const char* d = dir_.path().c_str();
  for (size_t len : {5000u, 4095u}) {  // LineBuf holds 4095 bytes
    dir_.Write("f", std::string(4000, 'a') + std::string(len - 4000, 'b'));
    ASSERT_EQ(GetFileContent(d, "f"), 1);
    EXPECT_EQ(LineBuf, std::string(4000, 'a') + std::string(95, 'b'));
    EXPECT_EQ(flContentCut, len > 4095);
  }
  EXPECT_EQ(GetFileContent(d, "missing"), 0);
  EXPECT_EQ(std::string(LineBuf), dir_ / "missing");  // the path it tried
  // A null name takes the first argument as the path, which may be in LineBuf.
  strcpy(LineBuf, dir_.Write("empty", "").c_str());
  ASSERT_EQ(GetFileContent(LineBuf, nullptr), 1);
  EXPECT_STREQ(LineBuf, "");
  // Only regular files are read, and a FIFO nobody writes to never blocks.
  ASSERT_EQ(mkdir((dir_ / "sub").c_str(), 0700) + mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  for (const char* odd : {"sub", "fifo"}) {
    EXPECT_EQ(GetFileContent(d, odd), 0) << odd;
    EXPECT_EQ(OpenInputFile((dir_ / odd).c_str(), 0), 0) << odd;
    EXPECT_EQ(FileSearch((dir_ / odd).c_str(), nullptr, 0), nullptr) << odd;
  }
  // The lowest free descriptor: higher after a leak.
  auto nextFd = [] { const int fd = dup(0); close(fd); return fd; };
  const std::string p = dir_.Write("list", "one\ntwo x\nthree x\n");
  const int fd = nextFd();
  EXPECT_STREQ(FileSearch(p.c_str(), nullptr, 1), "one\n");
  EXPECT_STREQ(FileSearch(p.c_str(), "x", 1), "two x\n");
  EXPECT_EQ(FileSearch(p.c_str(), "absent", 1), nullptr);
  EXPECT_EQ(nextFd(), fd);
  EXPECT_EQ(GetFileSize(p.c_str()), 18);
  EXPECT_EXIT(GetFileSize((dir_ / "missing").c_str()), ExitedWithCode(1),
              "^\nsetup:  : No such file or directory\n$");
}

TEST_F(FileReadTest, GetLineFiltersCommentsAndWhiteSpace) {
  const std::string p = dir_.Write("src",
                                   "  first // note\n\n/* whole */ second\n"
                                   "x /* opens\n inside\n closes */ third\r\n/* never closed\n");
  ASSERT_EQ(OpenInputFile(p.c_str(), 2), 1);
  std::string got;
  for (int lines; (lines = GetLine()) != 0;) got += std::to_string(lines) + ":" + Line + "|";
  // White space goes before comments; a comment that never closes takes the rest.
  EXPECT_EQ(got, "1:first |1:|1: second|3:third|");
  EXPECT_EQ(GetLinePos(0) + GetLineN(2), 2);  // back to the start, then two lines on
  EXPECT_STREQ(Line, " second");
  EXPECT_EQ(GetLineN(0), 0);
}

TEST(FileEdit, EachEditOfAFile) {
  TestDir dir;
  const struct { std::string text; void (*edit)(const char*); std::string want; } cases[] = {
      {"axbx\nno\nx\n", [](const char* f) { FileChange(f, "t x", "x", "YY"); }, "aYYbx\nno\nYY\n"},
      // A long line is edited piece by piece, 510 characters at a time.
      {std::string(600, 'x') + "\n", [](const char* f) { FileChange(f, "t x", "x", "y"); },
       "y" + std::string(509, 'x') + "y" + std::string(89, 'x') + "\n"},
      {"ABA\n", [](const char* f) { FileChangeChar(f, "t x", "0x41", "66,0x43"); }, "BCBBC\n"},
      {"ABA\n", [](const char* f) { FileChangeChar(f, "t x", "65", nullptr); }, "B\n"},
      {"ab1\nab2\nzz\nab3ab\n", [](const char* f) { FileDel(f, "t x", 1, "ab"); },
       "ab1\n2\nzz\n3ab\n"},
      {"k1\nk2\nother\nk3\n", [](const char* f) { FileDelLine(f, "t x", 1, "k"); }, "k1\nother\n"},
      // Each dropped first-text line takes one following second-text line.
      {"A1\nB1\nA2\nA3\nB2\nB3\nB4\n",
       [](const char* f) { FileDelLinePair(f, "t x", 1, "A", "B"); }, "A1\nB1\nB4\n"},
      // The start number is taken out of the text.
      {"l1\nl2\nl3\n",
       [](const char* f) { char s[] = "%s3%#0"; FileInsert(f, "t x", s); EXPECT_STREQ(s, "%#0"); },
       "00003l1\n00004l2\n00005l3\n"},
      {"l1\nl2\n", [](const char* f) { char s[] = "[%#1]"; FileInsert(f, "t x", s); },
       "l1\n[00000]l2\n"},
      {"x1\ny\nx2\n",
       [](const char* f) { char s[] = "%s7#%#0:"; FileSearchInsert(f, "t x", s, "x"); },
       "#00007:x1\ny\n#00008:x2\n"},
  };
  // Names are quoted for the shell's rm and mv.
  const std::string file = dir / "it's a f";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.want);
    dir.Write("it's a f.t x", c.text);
    c.edit(file.c_str());
    EXPECT_EQ(ReadText(file + ".t x"), c.want);
    EXPECT_FALSE(Exists(file + ".t xout"));  // the work file is gone
  }

  const std::string text = "one=1\nkeep\ntwo=2\n";
  const char* formats[][3] = {{"", "=", "one1\nkeep\ntwo2\n"}, {"a", "=", "one=\nkeep\ntwo=\n"},
                              {"b", "=", "=1\nkeep\n=2\n"},    {"c", "0x65", "on=1\nkp\ntwo=2\n"},
                              {"l", "=", "keep\n"},            {"x", "=", "one=1\nkeep\ntwo=2\n"}};
  for (const auto& f : formats) {
    dir.Write("it's a f.t x", text);
    EXPECT_EQ(FileDelFormat(file.c_str(), "t x", f[0], f[1]), f[0][0] == 'x') << f[0];
    EXPECT_EQ(ReadText(file + ".t x"), f[2]) << f[0];
  }
}

TEST(FileEdit, WorkFilesOddNamesAndFailures) {
  TestDir dir;
  const std::string plain = dir.Write("plain", "p\n");  // no extension: work file ".out"
  FileChange(plain.c_str(), "", "p", "q");
  OpenIOFiles(plain.c_str(), "");  // the stream variant's is "out"
  EXPECT_EQ(std::string(Fn) + "|" + FnOut, plain + "|" + plain + "out");
  ASSERT_EQ(GetLine(), 1);
  fprintf(pOut, "%s+out\n", Line);
  ReplaceInputFile();
  EXPECT_TRUE(pIn == nullptr && pOut == nullptr);
  EXPECT_EQ(ReadText(plain), "q+out\n");
  EXPECT_FALSE(Exists(plain + ".out") || Exists(plain + "out"));

  ASSERT_EQ(mkdir((plain + ".out").c_str(), 0700), 0);  // the work file cannot be made
  EXPECT_EXIT(FileDelLine(plain.c_str(), "", 0, "q"), ExitedWithCode(1),
              "can't open file, .*/plain\\.out : ");
  EXPECT_EXIT(FileDelLine((dir / "missing").c_str(), "txt", 0, "q"), ExitedWithCode(1),
              "can't open file, .*/missing\\.txt : No such file or directory");
}

// A pool string as a std::string, released.
std::string Take(char* s) {
  std::string out = s != nullptr ? s : "<null>";
  PutMem(s);
  return out;
}

TEST(Files, ListingsFindFileToolPathAndEnvironment) {
  TestDir dir;
  const std::string d = dir.path(), longName(250, 'L');  // past the old 128-byte entry buffer
  for (const std::string& f : {std::string("a"), longName}) dir.Write(f, "");
  const std::string list = Take(GetDirFileList(d.c_str()));
  std::istringstream words(list);
  EXPECT_EQ(std::multiset<std::string>(std::istream_iterator<std::string>(words), {}),
            (std::multiset<std::string>{".", "..", "a", longName}));
  EXPECT_EQ(list.size(), 2 + 3 + 2 + 1 + longName.size() + 1);  // " . .. a L... "
  EXPECT_EQ(GetDirFileList((dir / "missing").c_str()), nullptr);

  setenv("UTILS_TEST_VAR", "50%s done", 1);
  EXPECT_EQ(Take(GetEnv("UTILS_TEST_VAR")), "50%s done");
  EXPECT_EQ(Take(GetEnv("UTILS_TEST_UNSET")) + Take(GetEnv(nullptr)), "<null><null>");

  for (const char* f : {"b c", "x", "y"}) dir.Write(f, "");
  const struct { std::string dir; const char* name; int want; } cases[] = {
      {d, "a", 1}, {d, "zz", 0}, {d, "b c", 1}, {d, "b", 0}, {d, "x y", 0},  // whole names only
      {dir / "missing", "a", 0}, {dir / "a", nullptr, 1}, {dir / "zz", "", 0}, {d + "/", "", 1},
      {"/", "", 1}, {"", "", 0}, {"a", nullptr, 1},
  };
  char old[PATH_MAX];
  ASSERT_TRUE(getcwd(old, sizeof old) && chdir(d.c_str()) == 0);
  for (const auto& c : cases) EXPECT_EQ(FindFile(c.dir.c_str(), c.name), c.want) << c.dir << c.name;
  EXPECT_EQ(FindFile(nullptr, nullptr), 0);

  // A bare name is where the shell found it along PATH, never the current
  // directory; a relative PATH entry counts from the current directory.
  const std::string cwd = std::filesystem::current_path().string(), path = std::getenv("PATH");
  std::filesystem::create_directory(dir / "bin");
  dir.Write("setup", "");
  ASSERT_EQ(chmod(dir.Write("bin/setup", "").c_str(), 0755), 0);
  const std::string self = std::filesystem::canonical("/proc/self/exe").parent_path().string();
  const struct { const char *argv0, *path; std::string want; } tools[] = {
      {"bin/setup", "", cwd + "/bin"}, {"/setup", "", "/"},
      {"/usr/local/bin/setup", "", "/usr/local/bin"},
      {"setup", "/nonexistent:bin:/usr/bin", cwd + "/bin"}, {"setup", ":/usr/bin", self},
  };
  for (const auto& c : tools) {
    setenv("PATH", c.path, 1);
    EXPECT_EQ(Take(GetToolPath(c.argv0)), c.want) << c.argv0 << " " << c.path;
  }
  setenv("PATH", path.c_str(), 1);
  ASSERT_EQ(chdir(old), 0);
}

// Whether root may act on a path: links, owners and writable directories
// on the way, component by component.
namespace fs = std::filesystem;

constexpr uid_t kOther = 65534;

// Makes below t, in order: "d:a/b" directories, "f:x" an empty file,
// "l:x>y" a link to t/y (to y itself when it starts with '.'), "m:x=1777"
// a mode, "o:x" / "L:x" / "g:x" uid and gid / the link's / the gid 65534.
void Plant(const TestDir& t, const std::string& ops) {
  std::istringstream in(ops);
  for (std::string op; in >> op;) {
    const size_t sep = std::min(op.find_first_of(">="), op.size());
    const std::string at = t / op.substr(2, sep - 2);
    const std::string more = op.substr(std::min(sep + 1, op.size()));
    int rc = 0;
    if (op[0] == 'd') fs::create_directories(at);
    if (op[0] == 'f') std::ofstream{at};
    if (op[0] == 'l') fs::create_symlink(more[0] == '.' ? more : t / more, at);
    if (op[0] == 'm') rc = chmod(at.c_str(), static_cast<mode_t>(std::stoi(more, nullptr, 8)));
    if (op[0] == 'o') rc = chown(at.c_str(), kOther, kOther);
    if (op[0] == 'L') rc = lchown(at.c_str(), kOther, kOther);
    if (op[0] == 'g') rc = chown(at.c_str(), static_cast<uid_t>(-1), kOther);
    ASSERT_EQ(rc, 0) << op;
  }
}

TEST(SafePath, ComponentByComponent) {
  const bool root = geteuid() == 0;
  const std::string others = "a directory others can write to", uid = " owned by uid 65534";
  const struct Case {
    const char *name, *plant;
    std::string path;  // below the scratch directory
    std::string bad;   // "" when safe, else the component refused (relative)
    std::string why = "";
    bool needsRoot = false;
  } cases[] = {
      {"plain directories, missing components", "d:a/b", "a/b/c/d", ""},
      {"a file on the way", "f:f", "f/x", "f", "not a directory"},
      {"relative link with .. followed", "d:d/real l:d/ln>../d/real", "d/ln/x", ""},
      {"link into a file refused at the target", "f:f l:ln>f", "ln/x", "f", "not a directory"},
      {"link loop", "l:a>b l:b>a", "a/x", "a", "too many levels of links"},
      {"writable by others without sticky bit", "d:open m:open=777", "open/x", "open", others},
      {"the last directory too", "d:open m:open=777", "open", "open", others},
      {"sticky like /tmp", "d:sticky/mine m:sticky=1777", "sticky/mine/x", ""},
      {"someone else's link in a sticky directory",
       "d:sticky/real m:sticky=1777 l:sticky/ln>sticky/real L:sticky/ln", "sticky/ln/x",
       "sticky/ln", "a link" + uid, true},
      {"someone else's directory", "d:theirs o:theirs", "theirs/x", "theirs", "a directory" + uid,
       true},
      {"writable by a group other than root's", "d:g m:g=775 g:g", "g/x", "g", others, true},
      {"writable by root's group", "d:g m:g=775", "g/x", "", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.needsRoot && !root) continue;
    TestDir t;
    Plant(t, c.plant);
    std::string bad, why;
    EXPECT_EQ(SafePath((t / c.path).c_str(), geteuid(), &bad, &why), c.bad.empty());
    EXPECT_EQ(bad, c.bad.empty() ? "" : t / c.bad);
    EXPECT_EQ(why, c.why);
  }
  std::string bad, why;
  EXPECT_FALSE(SafePath("relative/x", geteuid(), &bad, &why));
  EXPECT_EQ(why, "not a full path");
}

TEST(SafePath, OwnFiles) {
  TestDir t;
  const std::string file = t.Write("f", "");
  EXPECT_TRUE(IsOwnFile(file.c_str()));
  ASSERT_EQ(link(file.c_str(), (t / "hard").c_str()), 0);
  EXPECT_FALSE(IsOwnFile(file.c_str()));  // a second name: not ours alone
  fs::create_symlink(t / "g", t / "ln");
  EXPECT_FALSE(IsOwnFile((t / "ln").c_str()));

  // Where others can write, whatever stands at the name is replaced by a
  // new empty file; a link there leads nowhere.
  chmod(t.path().c_str(), 01777);
  EXPECT_TRUE(OthersCanWrite(t.path().c_str()));
  t.Write("g", "target");
  MakeOwnFile(t.path().c_str(), "ln");
  EXPECT_TRUE(IsOwnFile((t / "ln").c_str()));
  EXPECT_EQ(ReadText(t / "g"), "target");
  // Elsewhere nothing is touched.
  chmod(t.path().c_str(), 0755);
  MakeOwnFile(t.path().c_str(), "g");
  EXPECT_EQ(ReadText(t / "g"), "target");
}

}  // namespace
