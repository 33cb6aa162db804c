// Whether root may act on a path: links, owners and writable directories
// on the way, component by component.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

namespace fs = std::filesystem;

constexpr uid_t kOther = 65534;

TEST(SafePath, ComponentByComponent) {
  const bool root = geteuid() == 0;
  struct Case {
    const char* name;
    std::function<void(const TestDir&)> plant;
    std::string path;  // below the scratch directory
    std::string bad;   // "" when safe, else the component refused (relative)
    std::string why;
    bool needsRoot = false;
  } cases[] = {
      {"missing components pass", [](const TestDir&) {}, "a/b/c", ""},
      {"plain directories", [](const TestDir& t) { fs::create_directories(t / "a/b"); }, "a/b/c",
       ""},
      {"a file on the way", [](const TestDir& t) { t.Write("f", ""); }, "f/x", "f",
       "not a directory"},
      {"own link followed to a safe target",
       [](const TestDir& t) {
         fs::create_directory(t / "real");
         fs::create_directory_symlink(t / "real", t / "ln");
       },
       "ln/x", ""},
      {"relative link with .. followed",
       [](const TestDir& t) {
         fs::create_directories(t / "d/real");
         fs::create_directory_symlink("../d/real", t / "d/ln");
       },
       "d/ln/x", ""},
      {"link into a file refused at the target",
       [](const TestDir& t) {
         t.Write("f", "");
         fs::create_symlink(t / "f", t / "ln");
       },
       "ln/x", "f", "not a directory"},
      {"link loop",
       [](const TestDir& t) {
         fs::create_symlink(t / "b", t / "a");
         fs::create_symlink(t / "a", t / "b");
       },
       "a/x", "a", "too many levels of links"},
      {"writable by others without sticky bit",
       [](const TestDir& t) {
         fs::create_directory(t / "open");
         chmod((t / "open").c_str(), 0777);
       },
       "open/x", "open", "a directory others can write to"},
      {"the last directory too",
       [](const TestDir& t) {
         fs::create_directory(t / "open");
         chmod((t / "open").c_str(), 0777);
       },
       "open", "open", "a directory others can write to"},
      {"sticky like /tmp",
       [](const TestDir& t) {
         fs::create_directories(t / "sticky/mine");
         chmod((t / "sticky").c_str(), 01777);
       },
       "sticky/mine/x", ""},
      {"someone else's link in a sticky directory",
       [](const TestDir& t) {
         fs::create_directories(t / "sticky/real");
         chmod((t / "sticky").c_str(), 01777);
         fs::create_directory_symlink(t / "sticky/real", t / "sticky/ln");
         lchown((t / "sticky/ln").c_str(), kOther, kOther);
       },
       "sticky/ln/x", "sticky/ln", "a link owned by uid 65534", true},
      {"someone else's directory",
       [](const TestDir& t) {
         fs::create_directories(t / "theirs");
         chown((t / "theirs").c_str(), kOther, kOther);
       },
       "theirs/x", "theirs", "a directory owned by uid 65534", true},
      {"a root link to someone else's directory",
       [](const TestDir& t) {
         fs::create_directories(t / "theirs");
         chown((t / "theirs").c_str(), kOther, kOther);
         fs::create_directory_symlink(t / "theirs", t / "ln");
       },
       "ln", "theirs", "a directory owned by uid 65534", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.needsRoot && !root) continue;
    TestDir t;
    c.plant(t);
    std::string bad, why;
    const std::string path = t / c.path;
    EXPECT_EQ(SafePath(path.c_str(), geteuid(), &bad, &why), c.bad.empty());
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
  fs::create_directory(t / "emptydir");
  MakeOwnFile(t.path().c_str(), "emptydir");
  EXPECT_TRUE(IsOwnFile((t / "emptydir").c_str()));
  // Elsewhere nothing is touched.
  chmod(t.path().c_str(), 0755);
  MakeOwnFile(t.path().c_str(), "g");
  EXPECT_EQ(ReadText(t / "g"), "target");
}

}  // namespace
