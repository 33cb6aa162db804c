#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "MemMgr/MemMgr.h"
#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

// A pool string as a std::string, released.
std::string Take(char* s) {
  std::string out = s != nullptr ? s : "<null>";
  PutMem(s);
  return out;
}

TEST(Files, ListingsFindFileToolPathAndEnvironment) {
  TestDir dir;
  dir.Write("a", "");
  const std::string longName(250, 'L');  // longer than the old 128-byte entry buffer
  dir.Write(longName, "");
  const std::string list = Take(GetDirFileList(dir.path().c_str()));
  std::istringstream words(list);
  EXPECT_EQ(std::multiset<std::string>(std::istream_iterator<std::string>(words), {}),
            (std::multiset<std::string>{".", "..", "a", longName}));
  EXPECT_EQ(list.size(), 2 + 3 + 2 + 1 + longName.size() + 1);  // " . .. a L... "
  EXPECT_EQ(GetDirFileList((dir / "missing").c_str()), nullptr);
  DIR* listing = opendir(dir.path().c_str());
  struct dirent entry;
  for (char* name; (name = ReadDir(listing, &entry)) != nullptr;) EXPECT_EQ(name, entry.d_name);
  closedir(listing);

  setenv("UTILS_TEST_VAR", "50%s done", 1);
  EXPECT_EQ(Take(GetEnv("UTILS_TEST_VAR")), "50%s done");
  EXPECT_EQ(GetEnv("UTILS_TEST_UNSET"), nullptr);
  EXPECT_EQ(GetEnv(nullptr), nullptr);

  for (const char* f : {"b c", "x", "y"}) dir.Write(f, "");
  const std::string d = dir.path();
  const std::string deep = d + "/" + std::string(200, 'p') + "/" + std::string(200, 'q');
  const struct { std::string dir; const char* name; int want; } cases[] = {
      {d, "a", 1}, {d, ".", 1}, {d, "..", 1}, {d, "zz", 0},
      {d, "b c", 1}, {d, "b", 0}, {d, "c", 0}, {d, "x y", 0},  // whole entry names only
      {dir / "missing", "a", 0}, {dir / "a", nullptr, 1}, {dir / "b c", "", 1}, {dir / "zz", "", 0},
      {d, "", 1}, {d + "/", "", 1}, {"/", "", 1}, {"", "", 0}, {deep, "", 0}, {"a", nullptr, 1},
  };
  char old[PATH_MAX];
  ASSERT_TRUE(getcwd(old, sizeof old) && chdir(d.c_str()) == 0);
  for (const auto& c : cases) EXPECT_EQ(FindFile(c.dir.c_str(), c.name), c.want) << c.dir << c.name;
  EXPECT_EQ(FindFile(nullptr, nullptr), 0);
  EXPECT_GT(FindToken("b", Take(GetDirFileList(".")).c_str()), 0);  // callers search lists by word

  const std::string cwd = std::filesystem::current_path().string();
  EXPECT_EQ(Take(GetToolPath("./setup")), cwd + "/.");
  EXPECT_EQ(Take(GetToolPath("bin/setup")), cwd + "/bin");
  // A bare name is where the shell found it along PATH, never the current
  // directory; a relative PATH entry counts from the current directory.
  dir.Write("setup", "");
  std::filesystem::create_directory(dir / "bin");
  dir.Write("bin/setup", "");
  ASSERT_EQ(chmod((dir / "bin/setup").c_str(), 0755), 0);
  const std::string path = std::getenv("PATH");
  for (const auto& [entries, want] : std::vector<std::pair<std::string, std::string>>{
           {"/nonexistent:bin:/usr/bin", cwd + "/bin"},
           {":/usr/bin", std::filesystem::canonical("/proc/self/exe").parent_path().string()},
           {"/nonexistent", std::filesystem::canonical("/proc/self/exe").parent_path().string()}}) {
    setenv("PATH", entries.c_str(), 1);
    EXPECT_EQ(Take(GetToolPath("setup")), want) << entries;
  }
  setenv("PATH", path.c_str(), 1);
  ASSERT_EQ(chdir(old), 0);
  EXPECT_EQ(Take(GetToolPath("/setup")), "/");
  EXPECT_EQ(Take(GetToolPath("/usr/local/bin/setup")), "/usr/local/bin");
}

}  // namespace
