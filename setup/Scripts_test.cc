#include "setup/Scripts.h"

#include <gtest/gtest.h>

#include <string>

#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

TEST(Scripts, WriteFailures) {
  TestDir t;
  // Written afresh: a longer old file leaves nothing behind.
  std::string p = t.Write("rc", std::string(2000, 'x'));
  ASSERT_EQ(WriteScript(p.c_str(), 1, RcScriptText, "/a", nullptr), 1);
  EXPECT_EQ(ReadText(p).rfind("case $1 in\n", 0), 0u);
  EXPECT_EQ(ReadText(p).find('x'), std::string::npos);
  EXPECT_EQ(ReadText(p).substr(ReadText(p).size() - 9), "\t;;\nesac\n");

  testing::internal::CaptureStderr();
  EXPECT_EQ(WriteScript((t / "no/such").c_str(), 1, RcScriptText, "/a", nullptr), 0);
  // A full disk is a failure, not a written script.
  EXPECT_EQ(WriteScript("/dev/full", 1, InterfaceText, "/a", nullptr), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: can't open file, " + (t / "no/such") +
                                                        "\nERROR: can't write file, /dev/full\n");
  EXPECT_EQ(pOut, nullptr);
  EXPECT_EXIT(WriteScript("/dev/full", 2, InterfaceText, "/a", nullptr), testing::ExitedWithCode(1),
              "can't write file, /dev/full");
}

}  // namespace
