// TestDiskette, which no menu reaches, against the simulated drive of tools/floppy, with the
// operator's keys from a file on standard input.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "SysCmd/SysCmd.h"
#include "SysCmd/SysCmdSeam.h"
#include "setup/setup.h"
#include "utils/utils.h"

namespace {

const std::filesystem::path kSource = std::filesystem::path(__FILE__).parent_path().parent_path();

class Diskette : public testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "diskette_test.XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    for (const char* d : {"/work", "/d1", "/d2"}) std::filesystem::create_directories(dir_ + d);
    setenv("FLOPPY_STATE", (dir_ + "/state").c_str(), 1);
    setenv("FLOPPY_ROOT", (dir_ + "/root").c_str(), 1);
    unsetenv("FAKE_SLEEP_LOG");
    // eject and volcheck from the simulated drive, sleep from the stand-ins.
    std::string path = (kSource / "tools/floppy").string() + ":" +
                       (kSource / "tests/fakebin").string() + ":/usr/bin:/bin";
    ResetSysCmdList();
    setenv("PATH", path.c_str(), 1);
    InitSysCmdList();
    workDir_ = dir_ + "/work";
    pZantoInstallDir = workDir_.c_str();
  }
  void TearDown() override {
    std::freopen("/dev/null", "r", stdin);
    std::filesystem::remove_all(dir_);
  }

  void Drive(const std::string& options) {
    const std::string ctl = (kSource / "tools/floppy/floppyctl").string();
    ASSERT_EQ(std::system(
                  (ctl + " init " + dir_ + "/state " + options + " >/dev/null && " + ctl + " sync")
                      .c_str()),
              0);
  }
  void Keys(const std::string& keys) {
    std::ofstream(dir_ + "/keys") << keys;
    ASSERT_NE(std::freopen((dir_ + "/keys").c_str(), "r", stdin), nullptr);
  }
  std::string Rest() {
    std::string rest;
    for (int c; (c = std::getchar()) != EOF;) rest += static_cast<char>(c);
    return rest;
  }

  std::string dir_, workDir_;
};

TEST_F(Diskette, TestWaitsForADisketteUntilEndOfInput) {
  Drive("--empty --queue " + dir_ + "/d1");
  Keys("\nrest");
  testing::internal::CaptureStdout();
  TestDiskette(2);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Unable to detect the diskette.\nPlease insert install diskette 2 and press enter\n");
  EXPECT_EQ(Rest(), "rest");

  // A diskette already in the drive: no question at all.
  Keys("x");
  testing::internal::CaptureStdout();
  TestDiskette(3);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(Rest(), "x");

  // None, and nobody left at the terminal.
  Drive("--empty");
  Keys("");
  EXPECT_EXIT(TestDiskette(1), testing::ExitedWithCode(1), "reading from standard input");
}

// The wait for the operator's key reports the end of the input, not an
// error left over from an earlier call.
TEST(DisketteDeathTest, EndOfInputAtWait) {
  EXPECT_EXIT(
      {
        if (std::freopen("/dev/null", "r", stdin) == nullptr) std::exit(3);
        errno = ENOENT;
        WaitForEnter();
      },
      testing::ExitedWithCode(1), ": reading from standard input: end of input\n$");
}

}  // namespace
