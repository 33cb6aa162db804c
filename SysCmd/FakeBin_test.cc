// The stand-in commands and the program runner that the other tests
// rely on.
#include <gtest/gtest.h>

#include "tests/support/FakeBin.h"
#include "tests/support/RunProgram.h"
#include "tests/support/Scratch.h"

namespace {

RunResult RunFake(std::vector<std::string> argv, std::map<std::string, std::optional<std::string>> env,
              std::string input = "") {
  env.emplace("PATH", FakeBinPath());
  return RunProgram({std::move(argv), std::move(env), "", std::move(input)});
}

TEST(FakeBinTest, StandInsAnswerFromEnvironment) {
  ScratchDir scratch("fakebin");
  const std::string log = scratch.Sub("sleep.log");
  RunResult r = RunFake({"sleep", "1"}, {{"FAKE_SLEEP_LOG", log}});
  EXPECT_EQ(r.status, 0);
  r = RunFake({"sleep", "30"}, {{"FAKE_SLEEP_LOG", log}});
  EXPECT_EQ(ReadFile(log), "1\n30\n");
  EXPECT_EQ(RunFake({"clear"}, {}).out, "");
  EXPECT_EQ(RunFake({"whoami"}, {{"FAKE_WHOAMI", std::nullopt}}).out, "root\n");
  EXPECT_EQ(RunFake({"whoami"}, {{"FAKE_WHOAMI", "lp"}}).out, "lp\n");
  EXPECT_EQ(RunFake({"whoami"}, {{"FAKE_WHOAMI", ""}}).out, "");
  r = RunFake({"eject", "-q"}, {{"FAKE_CMD_LOG", log}, {"FAKE_EJECT_STATUS", "1"}});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(RunFake({"volcheck"}, {{"FAKE_CMD_LOG", log}}).status, 0);
  EXPECT_EQ(ReadFile(log), "1\n30\neject -q\nvolcheck \n");
}

TEST(FakeBinTest, DfPrintsChosenLayoutOrFallsThrough) {
  RunResult r = RunFake({"df", "-k", "/w"}, {{"FAKE_DF_AVAIL", "77"}, {"FAKE_DF_LAYOUT", "bsd"}});
  EXPECT_EQ(r.out,
            "Filesystem  1024-blocks    Used   Avail Capacity  Mounted on\n"
            "/dev/ada0p2     2055446  918303 77    48%    /w\n");
  r = RunFake({"df", "-k", "/"}, {{"FAKE_DF_AVAIL", std::nullopt}});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Mounted on"), std::string::npos);
  EXPECT_EQ(r.out.find("2055446"), std::string::npos);  // the real figures
}

TEST(FakeBinTest, RunProgramFeedsInputAndKeepsStreamsApart) {
  ScratchDir scratch("run");
  RunResult r = RunProgram({{"/bin/sh", "-c", "pwd; cat; echo $X >&2; exit 7"},
                            {{"X", "ex"}},
                            scratch.Path(),
                            "typed\n"});
  EXPECT_EQ(r.status, 7);
  EXPECT_EQ(r.signal, 0);
  char real[4096];
  ASSERT_TRUE(realpath(scratch.Path().c_str(), real));
  EXPECT_EQ(r.out, std::string(real) + "\ntyped\n");
  EXPECT_EQ(r.err, "ex\n");
  r = RunProgram({{"/bin/sh", "-c", "kill -9 $$"}, {}, "", ""});
  EXPECT_EQ(r.signal, 9);
  EXPECT_EQ(r.status, 128 + 9);
  // Large input to a child that reads none of it must not hang.
  r = RunProgram({{"/bin/sh", "-c", "exit 0"}, {}, "", std::string(1 << 20, 'y')});
  EXPECT_EQ(r.status, 0);
}

}  // namespace
