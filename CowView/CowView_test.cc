// The change list over hand-made layers, and a whole view: what its child
// changes is listed and reaches neither the host nor the mount table.
#include "CowView/CowView.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "utils/TestDir.h"

namespace {

namespace fs = std::filesystem;

std::string Joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\n";
  return s;
}

// The owner and group that this test's files get.
std::string Me() {
  struct passwd* pw = getpwuid(geteuid());
  struct group* gr = getgrgid(getegid());
  return std::string(pw ? pw->pw_name : "?") + " " + (gr ? gr->gr_name : "?");
}

// host/ is what the host has, upper/ the changed layer, view/ what the
// merged view shows.
TEST(ChangeList, AddedChangedAndRemoved) {
  TestDir t{"cowview"};
  const std::string host = t / "host", upper = t / "upper", view = t / "view";
  for (const std::string& d : {host, upper, view}) fs::create_directories(d + "/opaque");
  const bool root = geteuid() == 0;
  // The host: a file that stays, one re-moded, one rewritten, a tree that
  // goes, a directory made opaque, a file removed by a whiteout. The
  // layer: copied up unchanged, re-moded (set-user-id and sticky bits
  // too), rewritten, added, and an excluded tree. view/ gets the layer's
  // files (without root no whiteout: the removed file is still there).
  // clang-format off
  const struct { std::string path, text; mode_t mode; bool inHost, inUpper, inView; } files[] = {
      {"same", "same\n", 0644, true, true, true}, {"mode", "m\n", 0644, true, false, false},
      {"mode", "m\n", 0600, false, true, true}, {"suid", "s\n", 0755, true, false, false},
      {"suid", "s\n", 05755, false, true, true}, {"text", "old\n", 0644, true, false, false},
      {"text", "new\n", 0644, false, true, true}, {"opaque/old", "o\n", 0644, true, false, false},
      {"opaque/new", "n\n", 0644, false, true, true}, {"added", "a\n", 0644, false, true, true},
      {"skip/x", "x\n", 0644, false, true, true}, {"gone", "g\n", 0644, true, false, !root}};
  // clang-format on
  for (const std::string& d : {host + "/tree/sub", upper + "/skip", view + "/skip"})
    fs::create_directories(d);
  WriteFile(host + "/tree/sub/f", "f\n");
  for (const auto& f : files)
    for (const auto& [top, in] : {std::pair{host, f.inHost}, {upper, f.inUpper}, {view, f.inView}})
      if (in) WriteFile(top + "/" + f.path, f.text, f.mode);
  for (const std::string& top : {upper, view}) fs::create_symlink("/nowhere", top + "/lnk");
  ASSERT_TRUE(!root || mknod((upper + "/gone").c_str(), S_IFCHR, makedev(0, 0)) == 0);

  const std::string me = " " + Me() + " " + host;
  std::string want = "+ f 0644" + me + "/added\n";
  if (root) want += "- f 0644" + me + "/gone\n";
  want += "+ l 0777" + me + "/lnk -> /nowhere\n~ f 0600" + me + "/mode\n+ f 0644" + me +
          "/opaque/new\n- f 0644" + me + "/opaque/old\n~ f 5755" + me + "/suid\n~ f 0644" + me +
          "/text\n- d 0755" + me + "/tree\n- d 0755" + me + "/tree/sub\n- f 0644" + me +
          "/tree/sub/f\n";
  EXPECT_EQ(Joined(ListChanges({{host, host, upper, view}}, {host + "/skip"})), want);
  // Under another name, and with a deeper layer that has the tree: the
  // deeper one lists what is below its mount.
  const std::string empty = t / "empty";
  fs::create_directories(empty);
  const std::vector<std::string> moved = ListChanges(
      {{"/m", host, upper, view}, {"/m/opaque", empty, upper + "/opaque", view + "/opaque"}},
      {"/m/skip"});
  EXPECT_EQ(Joined(moved).find("/opaque/old"), std::string::npos);  // not in the deeper lower
  EXPECT_NE(Joined(moved).find("+ f 0644 " + Me() + " /m/opaque/new\n"), std::string::npos);
  EXPECT_NE(Joined(moved).find("~ f 0600 " + Me() + " /m/mode\n"), std::string::npos);
}

// A child of the test runs the view (its namespace is its own): the body's
// writes are listed, the host keeps its files, and no mount or scratch
// directory is left. As root a view that cannot be made fails the test.
TEST(View, ChangesStayInTheView) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root";
  TestDir t{"cowview"};
  const std::string dir = t.path();
  WriteFile(dir + "/keep", "keep\n");
  WriteFile(dir + "/gone", "gone\n");
  const ChildRun r = RunChild("", [&] {
    std::vector<std::string> changes;
    std::string why;
    const int status = RunInView(
        [&] {
          WriteFile(dir + "/keep", "changed\n");
          WriteFile(dir + "/new", "new\n", 0600);
          std::remove((dir + "/gone").c_str());
          return 7;
        },
        &changes, &why);
    std::printf("%d\n%s%s", status, why.c_str(), Joined(changes).c_str());
  });
  EXPECT_EQ(r.out, "7\n- f 0644 root root " + dir + "/gone\n~ f 0644 root root " + dir +
                      "/keep\n+ f 0600 root root " + dir + "/new\n");
  EXPECT_EQ(ReadText(dir + "/keep"), "keep\n");
  EXPECT_EQ(ReadText(dir + "/gone"), "gone\n");
  EXPECT_FALSE(fs::exists(dir + "/new"));
  EXPECT_EQ(ReadText("/proc/self/mountinfo").find("setup-preview"), std::string::npos);
  for (const char* d : {"/run", "/tmp"})
    for (const auto& e : fs::directory_iterator(d))
      EXPECT_EQ(e.path().filename().string().rfind("setup-preview.", 0), std::string::npos);
}

}  // namespace
