// The operator's side: the directory dialogue and the wait for a diskette,
// each on scripted keys.
#include <gmock/gmock.h>
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
  const struct { std::string input; int refused; std::string end; } cases[] = {
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

// TestDiskette, which no menu reaches, against the simulated drive of
// tools/floppy on scripted keys; "[[...]]" holds the keys left unread.
ScriptedRun Wait(const TestDir& d, const std::string& drive, const std::string& keys, int n) {
  const std::string floppy = kSource + "/tools/floppy", env = "FLOPPY_STATE=" + (d / "state") +
                                                            " FLOPPY_ROOT=" + (d / "root") + " ";
  EXPECT_EQ(std::system((env + floppy + "/floppyctl init " + (d / "state ") + drive +
                         " >/dev/null && " + env + floppy + "/floppyctl sync").c_str()),
            0);
  return RunScripted(keys, [&] {
    setenv("FLOPPY_STATE", (d / "state").c_str(), 1);
    setenv("FLOPPY_ROOT", (d / "root").c_str(), 1);
    unsetenv("FAKE_SLEEP_LOG");
    // eject and volcheck from the simulated drive, sleep from the stand-ins.
    setenv("PATH", (floppy + ":" + kSource + "/tests/fakebin:/usr/bin:/bin").c_str(), 1);
    ResetSysCmdList();
    InitSysCmdList();
    pZantoInstallDir = d.path().c_str();
    TestDiskette(n);
    std::string rest;
    for (int c; (c = std::getchar()) != EOF;) rest += static_cast<char>(c);
    std::printf("[[%s]]", rest.c_str());
  });
}

// With a diskette in the drive there is no question; without one the
// operator is asked until one is there, and the end of the input ends the
// program. The wait reports the end of the input, not an error left over
// from an earlier call.
TEST(Diskette, TestWaitsForADisketteUntilEndOfInput) {
  TestDir d;
  std::filesystem::create_directories(d / "d1");
  const std::string asked =
      "Unable to detect the diskette.\nPlease insert install diskette 2 and press enter\n";
  ScriptedRun r = Wait(d, "--empty --queue " + (d / "d1"), "\nrest", 2);
  EXPECT_EQ(r.out, asked + "[[rest]]");
  r = Wait(d, "--queue " + (d / "d1"), "x", 3);
  EXPECT_EQ(r.out, "[[x]]");
  r = Wait(d, "--empty", "", 1);
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, testing::EndsWith("reading from standard input: end of input\n"));
  r = RunScripted("", [] { errno = ENOENT, WaitForEnter(); });
  EXPECT_EQ(r.err, "\nsetup: reading from standard input: end of input\n");
}

}  // namespace
