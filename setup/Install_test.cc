// Joining the archive from its pieces, in a scratch work area with the
// stand-in sleep first on PATH.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "SysCmd/SysCmd.h"
#include "setup/setup.h"
#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

class GenZFileTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    const char* src = std::getenv("SETUP_SOURCE_DIR");
    std::string path = std::string(src ? src : ".") + "/tests/fakebin:" + std::getenv("PATH");
    setenv("PATH", path.c_str(), 1);
    my_name = const_cast<char*>("GenZFile_test");
    InitSysCmdList();
  }
  void SetUp() override {
    ASSERT_NE(getcwd(cwd_, sizeof cwd_), nullptr);
    work_ = t_ / "ZantoInstall";
    std::filesystem::create_directory(work_);
    pTmpDir = t_.path().c_str();
    pZantoInstallDir = work_.c_str();
    pLogPath = t_.path().c_str();
    flInitLog = 1;
  }
  void TearDown() override { ASSERT_EQ(chdir(cwd_), 0); }
  std::string Piece(const std::string& name, const std::string& text) {
    return t_.Write("ZantoInstall/" + name, text);
  }
  std::string Archive() { return ReadText(work_ + "/" PACKAGE_NAME ".tar.Z"); }

  TestDir t_;
  std::string work_;
  char cwd_[4096];
};

TEST_F(GenZFileTest, JoinsPiecesInListOrder) {
  Piece("pkg_tar.z1", "one.");
  Piece("pkg_tar.z2", "two.");
  Piece("pkg_tar.z3", "three.");
  Piece("pkg_tar.z9", "after the end.");
  Piece(PACKAGE_NAME ".tar.Z", "old archive.");
  // Only words that begin with pkg_tar. count.
  Piece("disks",
        "disks setup.hlp pkg_tar.z2\r\n\n  xpkg_tar.z1 pkg_tar.z3\n"
        "pkg_tar.z3 end_of_list pkg_tar.z9\npkg_tar.z9\n");
  testing::internal::CaptureStdout();
  GenZFile();
  std::string dots = testing::internal::GetCapturedStdout();
  EXPECT_EQ(Archive(), "two.three.three.");
  char here[4096];
  EXPECT_EQ(std::string(getcwd(here, sizeof here)), t_.path());
  std::string log = ReadText(t_ / "GenZFile_test.log");
  size_t z2 = log.find(work_ + "/pkg_tar.z2 >> " + work_ + "/" PACKAGE_NAME ".tar.Z\n");
  size_t z3 = log.find(work_ + "/pkg_tar.z3 >> ");
  EXPECT_NE(z2, std::string::npos) << log;
  EXPECT_LT(z2, z3) << log;
  EXPECT_EQ(log.find("z9"), std::string::npos) << log;
  EXPECT_EQ(log.find("pkg_tar.z1"), std::string::npos) << log;
  EXPECT_EQ(dots.find_first_not_of('.'), std::string::npos) << dots;
}

TEST_F(GenZFileTest, Failures) {
  EXPECT_EXIT(GenZFile(), testing::ExitedWithCode(1),
              "^ERROR: can't open file, ZantoInstall/disks\n$");
  Piece("disks", "disks pkg_tar.z1 pkg_tar.z2\n");
  Piece("pkg_tar.z1", "one.");
  EXPECT_EXIT(GenZFile(), testing::ExitedWithCode(1), "");
  // Tabs do not separate pieces here: one piece of that name is missing.
  Piece("pkg_tar.z2", "two.");
  Piece("disks", "disks pkg_tar.z1\tpkg_tar.z2\n");
  EXPECT_EXIT(GenZFile(), testing::ExitedWithCode(1), "");
  // A piece name must stay inside the work directory.
  Piece("disks", "disks pkg_tar.z1/../../x\n");
  EXPECT_EXIT(GenZFile(), testing::ExitedWithCode(1), "^ERROR: .*not a plain file name\n$");
  Piece("disks", "disks pkg_tar." + std::string(130, 'z') + "\n");
  EXPECT_EXIT(GenZFile(), testing::ExitedWithCode(1), "^ERROR: .*longer than 127 characters\n$");
}

}  // namespace
