// setup --help, -h and --version: answered on standard output with status
// 0 before anything else happens (no log, no lock, no command run), in any
// position; every other word keeps its old meaning.
#include <algorithm>
#include <string>

#include "tests/support/SetupRun.h"

namespace {

TEST(Usage, HelpAndVersionChangeNothing) {
  SKIP_UNLESS_HOST();
  SetupRun h;
  const RunResult help = h.Sh("/h/bin/setup --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(help.out.rfind("usage: setup [WORK_AREA] [manual]\n", 0), 0u) << help.out;
  for (const char* fact : {"manual ", "/tmp/setup.log", "17000000 bytes", "\n  0 ", "\n  1 ",
                           "\n  2      the work area does not exist\n", "\n  128+N ",
                           "setup: interrupted", "man 8 setup\n"})
    EXPECT_NE(help.out.find(fact), std::string::npos) << fact;

  for (const char* args : {"-h", "/nonexistent --help", "manual -h /nonexistent"}) {
    SCOPED_TRACE(args);
    RunResult r = h.Sh(std::string("/h/bin/setup ") + args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, help.out);
  }
  const RunResult version = h.Sh("/h/bin/setup --version");
  EXPECT_EQ(version.status, 0);
  const std::string head = "setup (" PKG ") ";
  ASSERT_EQ(version.out.rfind(head, 0), 0u) << version.out;
  const std::string number = version.out.substr(head.size());  // N.N.N and the line's end
  EXPECT_EQ(number.find_first_not_of("0123456789."), number.size() - 1) << number;
  EXPECT_EQ(std::count(number.begin(), number.end(), '.'), 2) << number;
  EXPECT_EQ(number.back(), '\n');
  // An answer that cannot be written is a failure.
  EXPECT_EQ(h.Sh("/h/bin/setup --version >&-").status, 1);
  EXPECT_EQ(h.Changes(), "");  // no log, no lock file, nothing removed
}

TEST(Usage, OtherWordsStillNameTheWorkArea) {
  SKIP_UNLESS_HOST();
  SetupRun h;
  for (const char* word : {"--helpme", "-H", "--", "-"}) {
    SCOPED_TRACE(word);
    RunResult r = h.Sh(std::string("/h/bin/setup ") + word);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, std::string("ERROR: can't locate file, ") + word + "\n");
  }
}

}  // namespace
