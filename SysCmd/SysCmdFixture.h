// Test fixture of the command layer: the stand-in commands first on
// PATH, the table resolved afresh, the log in a scratch directory, and a
// shell hook that records every command line the runner starts.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "MemMgr/MemMgr.h"
#include "SysCmd/SysCmd.h"
#include "SysCmd/SysCmdSeam.h"
#include "tests/support/FakeBin.h"
#include "tests/support/Scratch.h"

using Lines = std::vector<std::string>;

// Lines handed to the shell since the fixture started.
inline std::vector<std::string> gShellLines;
// When false the recorder only records and reports success.
inline bool gShellRuns = true;

inline int RecordShell(const char* line) {
  gShellLines.push_back(line);
  return gShellRuns ? std::system(line) : 0;
}

class SysCmdTest : public ::testing::Test {
 protected:
  ScratchDir scratch_{"syscmd"};
  ScopedEnv path_{"PATH", FakeBinPath()};
  ScopedEnv sleepLog_{"FAKE_SLEEP_LOG", scratch_.Sub("sleep.log")};
  std::string logDir_ = scratch_.Path();

  void SetUp() override {
    static char name[] = "t";
    ResetSysCmdList();
    my_name = name;
    pLogPath = logDir_.c_str();
    flInitLog = 1;
    gShellLines.clear();
    gShellRuns = true;
    pSysCmdShell = RecordShell;
    InitSysCmdList();
  }

  void TearDown() override {
    ResetSysCmdList();
    pSysCmdShell = defaultShell_;
    pLogPath = ".";
  }

  std::string LogName() const { return logDir_ + "/t.log"; }
  // What a logged command line gets appended when its format has no '>'.
  std::string Redir() const { return " >> " + LogName() + " 2>> " + LogName(); }
  std::string LogText() const { return ReadFile(LogName()); }
  std::string SleepCalls() const { return ReadFile(scratch_.Sub("sleep.log")); }
  // "dir/cmd args " as the runner begins a row's command line.
  static std::string Prefix(int row) {
    const SysCmdRec& r = ComList[row];
    return std::string(r.pPath) + "/" + r.pCmd + " " + r.pArgs + " ";
  }
  // Resolves the table afresh from the given PATH (none when nullopt).
  static void InitWithPath(const std::optional<std::string>& path) {
    ResetSysCmdList();
    ScopedEnv env("PATH", path);
    InitSysCmdList();
  }
  // A pool string's text ("(none)" for null), released.
  static std::string TakeText(char* s) {
    const std::string text = s ? s : "(none)";
    PutMem(s);
    return text;
  }
  // What the body printed on standard output.
  template <class Body>
  static std::string Out(Body body) {
    testing::internal::CaptureStdout();
    body();
    return testing::internal::GetCapturedStdout();
  }
  // Starts the log the way a first logged call does, then forgets the
  // lines and pauses that took.
  void StartLog() {
    Out([] { SysCmd(CMD_SHELL, SC_WARN, "%s", "true"); });
    gShellLines.clear();
    std::remove(scratch_.Sub("sleep.log").c_str());
  }

 private:
  int (*defaultShell_)(const char*) = pSysCmdShell;
};
