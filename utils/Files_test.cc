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

}  // namespace
