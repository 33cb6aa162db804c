// Whether root may act on a path: links, owners and writable directories
// on the way, component by component.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

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
