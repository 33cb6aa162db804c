#include "setup/Scripts.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "utils/TestDir.h"
#include "utils/utils.h"

namespace {

std::string Render(const ScriptPart* text, const char* appDir, const char* file) {
  char* buf = nullptr;
  size_t size = 0;
  FILE* f = open_memstream(&buf, &size);
  EXPECT_EQ(PutScript(f, text, appDir, file), 1);
  std::fclose(f);
  std::string s(buf, size);
  std::free(buf);
  return s;
}

int Sh(const std::string& cmd) { return std::system(cmd.c_str()); }

TEST(Scripts, TextsAsWritten) {
  const char* d = "/opt/Zanto/7315";
  EXPECT_EQ(Render(WrapperText, d, "tavrin"),
            "#! /usr/bin/sh\n"
            "\n"
            "TavrinFileSourceDir=`pwd`\n"
            "export TavrinFileSourceDir\n"
            "cd /opt/Zanto/7315\n"
            "/opt/Zanto/7315/tavrin $*\n");

  const std::string args =
      "\n"
      "TavrinPrinter=`/usr/bin/basename $0`\n"
      "TavrinRequest_id=$1\n"
      "TavrinUser_name=$2\n"
      "TavrinTitle=$3\n"
      "TavrinCopies=$4\n"
      "TavrinOption_list=$5\n"
      "export \tTavrinPrinter TavrinRequest_id TavrinUser_name TavrinTitle TavrinCopies "
      "TavrinOption_list\n"
      "\n"
      "shift 5\n"
      "\n"
      "cd /opt/Zanto/7315\n";
  EXPECT_EQ(Render(InterfaceText, d, nullptr),
            "#! /usr/bin/sh\n"
            "\n"
            "TavrinPrinterInterface=\"interface\"\n"
            "export \tTavrinPrinterInterface\n" +
                args +
                "[ -f /opt/Zanto/7315/zanto7315.log ] && rm -f /opt/Zanto/7315/zanto7315.log\n"
                "\n"
                "/opt/Zanto/7315/zanto7315 $* > /opt/Zanto/7315/zanto7315.log "
                "2>/opt/Zanto/7315/zanto7315.log\n"
                "exit 0\n");
  EXPECT_EQ(Render(TtyInterfaceText, d, nullptr),
            "#! /usr/bin/sh\n\n" + args +
                "\n"
                "if [ -f settings/$TavrinPrinter ]; then \n"
                "/usr/bin/tavrin -d$TavrinPrinter -ssettings/$TavrinPrinter -n $*\n"
                "else\n"
                "\t/usr/bin/tavrin -d$TavrinPrinter -n $*\n"
                "fi\n"
                "exit 0\n");
  EXPECT_EQ(Render(RcScriptText, "//Zanto/7315", nullptr),
            "case $1 in\n"
            "'start')\n"
            "\techo \"Starting Zanto Print Demon.\"\n"
            "\t[ -f //Zanto/7315/TavrinD ] && //Zanto/7315/TavrinD &\n"
            "\t;;\n"
            "'stop')\n"
            "\techo \"Stoping Zanto Print Demon.\"\n"
            "\t[ -f //Zanto/7315/TavrinDStop ] && //Zanto/7315/TavrinDStop\n"
            "\t;;\n"
            "esac\n");
}

// The scripts do what the lp service and the run levels expect of them.
TEST(Scripts, ScriptsRun) {
  TestDir t;
  const std::string d = t.path();
  // A print program that records its arguments and the exported variables.
  t.Write("zanto7315",
          "echo \"args:$*\"\necho \"env:$TavrinPrinterInterface,$TavrinPrinter,"
          "$TavrinRequest_id,$TavrinUser_name,$TavrinTitle,$TavrinCopies,$TavrinOption_list\"\n"
          "exit 3\n");
  chmod((d + "/zanto7315").c_str(), 0755);
  t.Write("zanto7315.log", "previous job\n");
  ASSERT_EQ(WriteScript((d + "/lp7315").c_str(), 2, InterfaceText, d.c_str(), nullptr), 1);
  EXPECT_EQ(Sh("cd / && sh " + d + "/lp7315 id-1 joe 'the title' 2 opts f1 f2"), 0);
  std::string log = ReadText(d + "/zanto7315.log");
  EXPECT_NE(log.find("args:f1 f2\n"), std::string::npos) << log;
  EXPECT_NE(log.find("env:interface,lp7315,id-1,joe,the title,2,opts\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("previous job"), std::string::npos) << log;

  // The wrapper runs the file from the driver directory and keeps the
  // caller's directory; "$*" splits arguments with blanks again.
  t.Write("prog", "echo \"$PWD|$TavrinFileSourceDir|$#\" > out\n");
  chmod((d + "/prog").c_str(), 0755);
  ASSERT_EQ(WriteScript((d + "/wrap").c_str(), 1, WrapperText, d.c_str(), "prog"), 1);
  EXPECT_EQ(Sh("cd /tmp && sh " + d + "/wrap 'a b' c"), 0);
  EXPECT_EQ(ReadText(d + "/out"), d + "|/tmp|3\n");

  t.Write("TavrinD", "touch started\n");
  t.Write("TavrinDStop", "touch stopped\n");
  chmod((d + "/TavrinD").c_str(), 0755);
  chmod((d + "/TavrinDStop").c_str(), 0755);
  ASSERT_EQ(WriteScript((d + "/rc").c_str(), 1, RcScriptText, d.c_str(), nullptr), 1);
  EXPECT_EQ(Sh("cd " + d + " && sh rc stop > said"), 0);
  EXPECT_EQ(ReadText(d + "/said"), "Stoping Zanto Print Demon.\n");
  EXPECT_TRUE(std::filesystem::exists(d + "/stopped"));
  EXPECT_FALSE(std::filesystem::exists(d + "/started"));
  // Sourced, so that the daemon started in the background can be waited for.
  EXPECT_EQ(Sh("cd " + d + " && sh -c 'set -- start; . ./rc; wait' > said"), 0);
  EXPECT_EQ(ReadText(d + "/said"), "Starting Zanto Print Demon.\n");
  EXPECT_TRUE(std::filesystem::exists(d + "/started"));
}

TEST(Scripts, WriteFailures) {
  TestDir t;
  // Written afresh: a longer old file leaves nothing behind.
  std::string p = t.Write("rc", std::string(2000, 'x'));
  ASSERT_EQ(WriteScript(p.c_str(), 1, RcScriptText, "/a", nullptr), 1);
  EXPECT_EQ(ReadText(p), Render(RcScriptText, "/a", nullptr));

  testing::internal::CaptureStderr();
  EXPECT_EQ(WriteScript((t / "no/such").c_str(), 1, RcScriptText, "/a", nullptr), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: can't open file, " + (t / "no/such") + "\n");
  EXPECT_EQ(pOut, nullptr);

  // A full disk is a failure, not a written script.
  testing::internal::CaptureStderr();
  EXPECT_EQ(WriteScript("/dev/full", 1, InterfaceText, "/a", nullptr), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: can't write file, /dev/full\n");
  EXPECT_EXIT(WriteScript("/dev/full", 2, InterfaceText, "/a", nullptr), testing::ExitedWithCode(1),
              "can't write file, /dev/full");
}

}  // namespace
