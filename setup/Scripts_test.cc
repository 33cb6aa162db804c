#include "setup/Scripts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

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

// Every text to the byte; a driver directory that is no plain word is
// quoted wherever it stands.
TEST(Scripts, Texts) {
  const std::string args =
      "\nTavrinPrinter=`/usr/bin/basename $0`\nTavrinRequest_id=$1\nTavrinUser_name=$2\n"
      "TavrinTitle=$3\nTavrinCopies=$4\nTavrinOption_list=$5\nexport \tTavrinPrinter "
      "TavrinRequest_id TavrinUser_name TavrinTitle TavrinCopies TavrinOption_list\n\nshift 5\n\n"
      "cd /a\n";
  const struct { const ScriptPart* text; const char* file; std::string want; } cases[] = {
      {WrapperText, "tavrin",
       "#! /usr/bin/sh\n\nTavrinFileSourceDir=`pwd`\nexport TavrinFileSourceDir\ncd /a\n/a/tavrin $*\n"},
      {InterfaceText, nullptr,
       "#! /usr/bin/sh\n\nTavrinPrinterInterface=\"interface\"\nexport \tTavrinPrinterInterface\n" +
           args + "[ -f /a/zanto7315.log ] && rm -f /a/zanto7315.log\n\n/a/zanto7315 $* > "
           "/a/zanto7315.log 2>/a/zanto7315.log\nexit 0\n"},
      {TtyInterfaceText, nullptr,
       "#! /usr/bin/sh\n\n" + args + "\nif [ -f settings/$TavrinPrinter ]; then \n/usr/bin/tavrin "
       "-d$TavrinPrinter -ssettings/$TavrinPrinter -n $*\nelse\n\t/usr/bin/tavrin -d$TavrinPrinter "
       "-n $*\nfi\nexit 0\n"},
      {RcScriptText, nullptr,
       "case $1 in\n'start')\n\techo \"Starting Zanto Print Demon.\"\n\t[ -f /a/TavrinD ] && "
       "/a/TavrinD &\n\t;;\n'stop')\n\techo \"Stoping Zanto Print Demon.\"\n\t[ -f /a/TavrinDStop ] "
       "&& /a/TavrinDStop\n\t;;\nesac\n"}};
  for (const auto& c : cases) {
    EXPECT_EQ(Text(c.text, "/a", c.file), c.want);
    std::string quoted = c.want;
    for (size_t at; (at = quoted.find("/a")) != std::string::npos;)
      quoted.replace(at, 2, "'/it'\\''s dir'");
    EXPECT_EQ(Text(c.text, "/it's dir", c.file), quoted);
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
