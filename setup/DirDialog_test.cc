// The directory dialogue on a scripted operator, in a child process whose
// standard input and output are files.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "setup/setup.h"
#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

const char* const kInfo[] = {"Where to?", nullptr};
const std::string kRefused =
    "This entry must be a full path to the installation directory\nPress <Return> to continue ";

// What the dialogue printed, then "[[result Name]]".
std::string Dialogue(const std::string& input) {
  TestDir dir;
  dir.Write("in", input);
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    if (!std::freopen((dir / "in").c_str(), "r", stdin) ||
        !std::freopen((dir / "out").c_str(), "w", stdout))
      _exit(99);
    int result = GetDirName(kInfo, "/opt", false);
    std::printf("[[%d %s]]", result, Name);
    std::fflush(stdout);
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_EQ(status, 0);
  return ReadText(dir / "out");
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t pos = 0; (pos = text.find(part, pos)) != std::string::npos; pos += part.size()) n++;
  return n;
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

}  // namespace
