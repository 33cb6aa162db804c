// The operator's side: the directory dialogue and the wait for a diskette,
// each on scripted keys.
#include <stdlib.h>

#include <cerrno>
#include <filesystem>

#include "SysCmd/SysCmdSeam.h"
#include "setup/setup.h"
#include "textmenu/MenuHarness.h"

namespace {

const char* const kInfo[] = {"Where to?", nullptr};
const std::string kRefused =
    "This entry must be a full path to the installation directory\nPress <Return> to continue ";

// What the dialogue printed, then "[[result Name]]".
std::string Dialogue(const std::string& input) {
  return RunScripted(input, [] {
           int result = GetDirName(kInfo, "/opt", false);
           std::printf("[[%d %s]]", result, Name);
         }).out;
}

TEST(DirDialog, AnswersOtherThanAFullPathAreRefused) {
  // A refused answer costs one more line, and the default stays; a CR
  // behind a path is cut off.
  // 255 characters fit; 256 are refused, never cut.
  const std::string fits = "/" + std::string(254, 'a'), longer = "/" + std::string(255, 'b');
  const struct {
    std::string input;
    int refused;
    std::string end;
  } cases[] = {
      {"opt\n\n\nn\n", 1, "[[0 /opt]]"},
      {"/export/opt\r\n\ny\n", 0, "[[1 /export/opt]]"},
      {longer + "\n\n\nn\n", 1, "[[0 /opt]]"},
      {fits + "\n\ny\n", 0, "[[1 " + fits + "]]"},
  };
  for (const auto& c : cases) {
    const std::string out = Dialogue(c.input);
    EXPECT_EQ(Count(out, kRefused), c.refused) << c.input;
    EXPECT_EQ(out.substr(out.rfind("[[")), c.end) << c.input;
  }
  // A lone CR is not an empty answer: it is refused like "opt".
  EXPECT_EQ(
      Dialogue("\r\n\n\ny\n"),
      "\nWhere to?\n\nPress <Return> or enter the new installation directory [/opt]: " + kRefused +
          "\nPress <Return> or enter the new installation directory [/opt]: "
          "Do you want to use /opt? [y/n] [[1 /opt]]");
}

// TestDiskette, which no menu reaches, against the simulated drive of tools/floppy, with the
// operator's keys from a file on standard input.
const std::string kSource = std::filesystem::path(__FILE__).parent_path().parent_path();

class Diskette : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_ / "d1");
    setenv("FLOPPY_STATE", (dir_ / "state").c_str(), 1);
    setenv("FLOPPY_ROOT", (dir_ / "root").c_str(), 1);
    unsetenv("FAKE_SLEEP_LOG");
    // eject and volcheck from the simulated drive, sleep from the stand-ins.
    ResetSysCmdList();
    setenv("PATH", (kSource + "/tools/floppy:" + kSource + "/tests/fakebin:/usr/bin:/bin").c_str(), 1);
    InitSysCmdList();
    pZantoInstallDir = dir_.path().c_str();
  }
  void TearDown() override { std::freopen("/dev/null", "r", stdin); }

  void Drive(const std::string& options) {
    const std::string ctl = kSource + "/tools/floppy/floppyctl";
    ASSERT_EQ(std::system((ctl + " init " + (dir_ / "state ") + options + " >/dev/null && " + ctl +
                           " sync").c_str()),
              0);
  }
  void Keys(const std::string& keys) {
    ASSERT_NE(std::freopen(dir_.Write("keys", keys).c_str(), "r", stdin), nullptr);
  }
  std::string Rest() {
    std::string rest;
    for (int c; (c = std::getchar()) != EOF;) rest += static_cast<char>(c);
    return rest;
  }

  TestDir dir_{"diskette_test"};
};

TEST_F(Diskette, TestWaitsForADisketteUntilEndOfInput) {
  Drive("--empty --queue " + (dir_ / "d1"));
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
