#include "setup/Scripts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/ScriptTexts.h"
#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

std::string Text(const ScriptPart* text, const char* app, const char* file) {
  char* buf = nullptr;
  size_t size = 0;
  FILE* out = open_memstream(&buf, &size);
  EXPECT_EQ(PutScript(out, text, app, file), 1);
  std::fclose(out);
  std::string s(buf, size);
  std::free(buf);
  return s;
}

// Every text to the byte, with a plain driver directory and one that
// must be quoted.
TEST(Scripts, Texts) {
  for (const auto& [app, quoted] : {std::pair<std::string, std::string>{"/opt/Zanto/7315",
                                                                        "/opt/Zanto/7315"},
                                    {"/it's dir", "'/it'\\''s dir'"}}) {
    EXPECT_EQ(Text(WrapperText, app.c_str(), "tavrin"), WrapperScript(quoted, "tavrin"));
    EXPECT_EQ(Text(InterfaceText, app.c_str(), nullptr), InterfaceScript(quoted));
    EXPECT_EQ(Text(TtyInterfaceText, app.c_str(), nullptr), TtyInterfaceScript(quoted));
    EXPECT_EQ(Text(RcScriptText, app.c_str(), nullptr), RcScript(quoted));
  }
}

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

  // A planted link is refused, never written through.
  std::string target = t.Write("target", "keep");
  std::filesystem::create_symlink(target, t / "link");
  testing::internal::CaptureStderr();
  EXPECT_EQ(WriteScript((t / "link").c_str(), 1, RcScriptText, "/a", nullptr), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: can't open file, " + (t / "link") + "\n");
  EXPECT_EQ(ReadText(target), "keep");
  EXPECT_EXIT(WriteScript((t / "link").c_str(), 2, RcScriptText, "/a", nullptr),
              testing::ExitedWithCode(1), "can't open file, .*/link");
}

// Directory and file values stay single words, whatever they hold.
TEST(Scripts, OddNamesStayWords) {
  TestDir t;
  const std::string sub = "it's $(touch pwned) a;b", dir = t / sub, file = "run me";
  std::filesystem::create_directory(dir);
  std::filesystem::permissions(
      t.Write(sub + "/" + file, "#!/bin/sh\necho \"$(basename \"$(pwd)\") $*\"\n"),
      std::filesystem::perms::owner_all);
  ASSERT_EQ(WriteScript((t / "wrapper").c_str(), 1, WrapperText, dir.c_str(), file.c_str()), 1);
  ASSERT_EQ(std::system(("cd " + t.path() + " && sh wrapper 1 2 > out").c_str()), 0);
  EXPECT_EQ(ReadText(t / "out"), "it's $(touch pwned) a;b 1 2\n");
  EXPECT_FALSE(Exists(t / "pwned"));
}

}  // namespace
