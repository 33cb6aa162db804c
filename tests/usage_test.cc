// setup --help, -h and --version: answered on standard output with status
// 0 before anything else happens (no log, no lock, no command run), in any
// position; every other word keeps its old meaning.
#include <gmock/gmock.h>

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
  EXPECT_THAT(h.Sh("/h/bin/setup --version").out,
              testing::MatchesRegex("setup \\(" PKG "\\) [0-9]+\\.[0-9]+\\.[0-9]+\n"));
  // Other words still name the work area; an answer that cannot be written
  // is a failure.
  const struct { std::string args; int status; std::string out; } runs[] = {
      {"-h", 0, help.out}, {"/nonexistent --help", 0, help.out},
      {"manual -h /nonexistent", 0, help.out}, {"--version >&-", 1, ""},
      {"--helpme", 2, "ERROR: can't locate file, --helpme\n"},
      {"-H", 2, "ERROR: can't locate file, -H\n"}, {"--", 2, "ERROR: can't locate file, --\n"},
      {"-", 2, "ERROR: can't locate file, -\n"}};
  for (const auto& run : runs) {
    RunResult r = h.Sh("/h/bin/setup " + run.args);
    EXPECT_EQ(r.status, run.status) << run.args;
    EXPECT_EQ(r.out, run.out) << run.args;
  }
  EXPECT_EQ(h.Changes(), "");  // no log, no lock file, nothing removed
}

}  // namespace
