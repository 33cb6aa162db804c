#include <dirent.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "MemMgr/MemMgr.h"
#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

// Runs the test body in another working directory and comes back.
class InDir {
 public:
  explicit InDir(const std::string& dir) {
    if (!getcwd(old_, sizeof old_) || chdir(dir.c_str()) != 0) std::abort();
  }
  ~InDir() {
    if (chdir(old_) != 0) std::abort();
  }

 private:
  char old_[PATH_MAX];
};

std::string Cwd() {
  char buf[PATH_MAX];
  return getcwd(buf, sizeof buf) ? buf : "";
}

// The list's names in order, checking its blank framing on the way.
std::multiset<std::string> Names(const char* list) {
  std::string s(list);
  EXPECT_FALSE(s.empty());
  EXPECT_EQ(s.front(), ' ');
  EXPECT_EQ(s.back(), ' ');
  std::multiset<std::string> names;
  std::istringstream in(s);
  for (std::string w; in >> w;) names.insert(w);
  return names;
}

TEST(FilesTest, GetDirFileListFormat) {
  TestDir dir;
  dir.Write("a", "");
  std::string longName(250, 'L');  // longer than the old 128-byte entry buffer
  dir.Write(longName, "");
  char* list = GetDirFileList(dir.path().c_str());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Names(list), (std::multiset<std::string>{".", "..", "a", longName}));
  EXPECT_EQ(strlen(list), 2 + 3 + 2 + 1 + longName.size() + 1);
  PutMem(list);
  EXPECT_EQ(GetDirFileList((dir / "missing").c_str()), nullptr);

  DIR* d = opendir(dir.path().c_str());
  ASSERT_NE(d, nullptr);
  struct dirent entry;
  std::multiset<std::string> seen;
  while (char* name = ReadDir(d, &entry)) {
    EXPECT_EQ(name, entry.d_name);
    seen.insert(name);
  }
  closedir(d);
  EXPECT_EQ(seen.size(), 4u);
  EXPECT_EQ(ReadDir(nullptr, &entry), nullptr);
}

TEST(FilesTest, FindFileByListing) {
  TestDir dir;
  dir.Write("a", "");
  dir.Write("b c", "");
  const char* d = dir.path().c_str();
  EXPECT_EQ(FindFile(d, "a"), 1);
  EXPECT_EQ(FindFile(d, "."), 1);
  EXPECT_EQ(FindFile(d, ".."), 1);
  EXPECT_EQ(FindFile(d, "zz"), 0);
  // A name with a blank is found whole; its parts are no entries.
  EXPECT_EQ(FindFile(d, "b c"), 1);
  EXPECT_EQ(FindFile(d, "b"), 0);
  EXPECT_EQ(FindFile(d, "c"), 0);
  dir.Write("x", "");
  dir.Write("y", "");
  EXPECT_EQ(FindFile(d, "x y"), 0);  // two entries side by side are not one
  EXPECT_EQ(FindFile((dir / "b c").c_str(), ""), 1);
  // Its parts do split in the token list, which callers search by word.
  char* list = GetDirFileList(d);
  ASSERT_NE(list, nullptr);
  EXPECT_GT(FindToken("b", list), 0);
  PutMem(list);
  EXPECT_EQ(FindFile((dir / "missing").c_str(), "a"), 0);
}

TEST(FilesTest, FindFileOfAFullPath) {
  TestDir dir;
  dir.Write("a", "");
  EXPECT_EQ(FindFile((dir / "a").c_str(), nullptr), 1);
  EXPECT_EQ(FindFile((dir / "a").c_str(), ""), 1);
  EXPECT_EQ(FindFile((dir / "zz").c_str(), ""), 0);
  EXPECT_EQ(FindFile(dir.path().c_str(), ""), 1);
  EXPECT_EQ(FindFile((dir.path() + "/").c_str(), ""), 1);  // as typed with completion
  EXPECT_EQ(FindFile("/", ""), 1);
  EXPECT_EQ(FindFile("", ""), 0);
  EXPECT_EQ(FindFile(nullptr, nullptr), 0);
  std::string deep = dir.path() + "/" + std::string(200, 'p') + "/" + std::string(200, 'q');
  EXPECT_EQ(FindFile(deep.c_str(), ""), 0);

  InDir in(dir.path());
  EXPECT_EQ(FindFile("a", nullptr), 1);  // no slash: looked for in "."
  EXPECT_EQ(FindFile("zz", nullptr), 0);
}

TEST(FilesTest, GetToolPath) {
  TestDir dir;
  {
    InDir in(dir.path());
    std::string cwd = Cwd();
    char* p = GetToolPath("./setup");
    EXPECT_EQ(std::string(p), cwd + "/.");
    PutMem(p);
    p = GetToolPath("bin/setup");
    EXPECT_EQ(std::string(p), cwd + "/bin");
    PutMem(p);
    p = GetToolPath("setup");  // found through PATH: still the current directory
    EXPECT_EQ(std::string(p), cwd);
    PutMem(p);
  }
  char* p = GetToolPath("/setup");
  EXPECT_STREQ(p, "/");
  PutMem(p);
  p = GetToolPath("/usr/local/bin/setup");
  EXPECT_STREQ(p, "/usr/local/bin");
  PutMem(p);
}

TEST(FilesTest, EnvironmentAndHost) {
  setenv("UTILS_TEST_VAR", "50%s done", 1);
  char* v = GetEnv("UTILS_TEST_VAR");
  ASSERT_NE(v, nullptr);
  EXPECT_STREQ(v, "50%s done");
  PutMem(v);
  unsetenv("UTILS_TEST_VAR");
  EXPECT_EQ(GetEnv("UTILS_TEST_VAR"), nullptr);
  EXPECT_EQ(GetEnv(nullptr), nullptr);

  char host[256] = {};
  ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
  char* h = GetHostname();
  ASSERT_NE(h, nullptr);
  EXPECT_STREQ(h, host);
  PutMem(h);
}

}  // namespace
