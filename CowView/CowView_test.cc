// The change list over hand-made layers, and a whole view: what its child
// changes is listed and reaches neither the host nor the mount table.
#include "CowView/CowView.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/Scratch.h"

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
  ScratchDir t{"cowview"};
  const std::string host = t.Sub("host"), upper = t.Sub("upper"), view = t.Sub("view");
  for (const std::string& d : {host, upper, view}) fs::create_directories(d + "/opaque");
  const bool root = geteuid() == 0;
  // The host: a file that stays, one re-moded, one rewritten, a tree that
  // goes, a directory made opaque, a file removed by a whiteout.
  for (const std::string& top : {host, view}) WriteFile(top + "/same", "same\n");
  WriteFile(host + "/mode", "m\n");
  WriteFile(host + "/text", "old\n");
  fs::create_directories(host + "/tree/sub");
  WriteFile(host + "/tree/sub/f", "f\n");
  WriteFile(host + "/opaque/old", "o\n");
  WriteFile(host + "/gone", "g\n");
  // The layer: copied up unchanged, re-moded, rewritten, added, a link,
  // and an excluded tree.
  WriteFile(upper + "/same", "same\n");
  WriteFile(upper + "/mode", "m\n", 0600);
  WriteFile(upper + "/text", "new\n");
  WriteFile(upper + "/opaque/new", "n\n");
  WriteFile(upper + "/added", "a\n");
  fs::create_symlink("/nowhere", upper + "/lnk");
  fs::create_directories(upper + "/skip");
  fs::create_directories(view + "/skip");
  WriteFile(upper + "/skip/x", "x\n");
  if (root) {
    ASSERT_EQ(mknod((upper + "/gone").c_str(), S_IFCHR, makedev(0, 0)), 0);
  }
  for (const char* f : {"mode", "text", "opaque/new", "added", "lnk", "skip/x"})
    fs::copy(upper + "/" + f, view + "/" + f, fs::copy_options::copy_symlinks);
  if (!root) WriteFile(view + "/gone", "g\n");  // no whiteout without root: still there

  const std::string me = " " + Me() + " " + host;
  std::string want = "+ f 0644" + me + "/added\n";
  if (root) want += "- f 0644" + me + "/gone\n";
  want += "+ l 0777" + me + "/lnk -> /nowhere\n~ f 0600" + me + "/mode\n+ f 0644" + me +
          "/opaque/new\n- f 0644" + me + "/opaque/old\n~ f 0644" + me + "/text\n- d 0755" + me +
          "/tree\n- d 0755" + me + "/tree/sub\n- f 0644" + me + "/tree/sub/f\n";
  EXPECT_EQ(Joined(ListChanges({{host, host, upper, view}}, {host + "/skip"})), want);
  // Under another name, and with a deeper layer that has the tree: the
  // deeper one lists what is below its mount.
  const std::string empty = t.Sub("empty");
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
// directory is left.
TEST(View, ChangesStayInTheView) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root";
  ScratchDir t{"cowview"};
  const std::string dir = t.Path();
  WriteFile(dir + "/keep", "keep\n");
  WriteFile(dir + "/gone", "gone\n");
  const std::string listFile = dir + ".list";
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    std::vector<std::string> changes;
    std::string why;
    int status = RunInView(
        [&] {
          WriteFile(dir + "/keep", "changed\n");
          WriteFile(dir + "/new", "new\n", 0600);
          std::remove((dir + "/gone").c_str());
          return 7;
        },
        &changes, &why);
    std::ofstream(listFile) << status << "\n" << why << Joined(changes);
    _exit(0);
  }
  int ws = 0;
  ASSERT_EQ(waitpid(pid, &ws, 0), pid);
  const std::string list = ReadFile(listFile);
  std::remove(listFile.c_str());
  if (list.find("no overlay support") != std::string::npos) GTEST_SKIP() << list;
  EXPECT_EQ(list, "7\n- f 0644 root root " + dir + "/gone\n~ f 0644 root root " + dir +
                      "/keep\n+ f 0600 root root " + dir + "/new\n");
  EXPECT_EQ(ReadFile(dir + "/keep"), "keep\n");
  EXPECT_EQ(ReadFile(dir + "/gone"), "gone\n");
  EXPECT_FALSE(fs::exists(dir + "/new"));
  EXPECT_EQ(ReadFile("/proc/self/mountinfo").find("setup-preview"), std::string::npos);
  for (const char* d : {"/run", "/tmp"})
    for (const auto& e : fs::directory_iterator(d))
      EXPECT_EQ(e.path().filename().string().rfind("setup-preview.", 0), std::string::npos);
}

}  // namespace
