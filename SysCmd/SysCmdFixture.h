// Test fixture of the command layer: a scratch bin directory and the
// stand-in commands first on PATH, the table resolved afresh, the log in
// the scratch directory, and a shell hook that records every command line
// the runner starts.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "MemMgr/MemMgr.h"
#include "SysCmd/SysCmd.h"
#include "SysCmd/SysCmdSeam.h"
#include "tests/support/FakeBin.h"
#include "utils/TestDir.h"

using Lines = std::vector<std::string>;

inline std::string gScratch;  // the scratch directory, written '@' in what tests compare
inline Lines gShellLines;     // handed to the shell since SetUp

inline std::string At(std::string text) {
  for (size_t i; (i = text.find(gScratch)) != std::string::npos;)
    text.replace(i, gScratch.size(), "@");
  return text;
}

class SysCmdTest : public ::testing::Test {
 protected:
  TestDir scratch_{"syscmd"};
  ScopedEnv path_{"PATH", (scratch_ / "bin") + ":" + FakeBinPath()};
  ScopedEnv sleepLog_{"FAKE_SLEEP_LOG", scratch_ / "sleep.log"};

  void SetUp() override {
    static char name[] = "t";
    // The rows whose lines tests spell out resolve to @/bin on any host.
    std::filesystem::create_directories(scratch_ / "bin");
    std::error_code ec;
    for (const char* cmd : {"cat", "chgrp", "chmod", "chown", "cp", "mkdir", "rm", "touch"})
      std::filesystem::create_symlink(std::string("/bin/") + cmd, (scratch_ / "bin/") + cmd, ec);
    ResetSysCmdList();
    my_name = name;
    pLogPath = (gScratch = scratch_.path()).c_str();
    flInitLog = 1;
    gShellLines.clear();
    pSysCmdShell = [](const char* line) {
      gShellLines.push_back(At(line));
      return std::system(line);
    };
    InitSysCmdList();
  }
  void TearDown() override {
    ResetSysCmdList();
    pSysCmdShell = defaultShell_;
    pLogPath = ".";
  }

  std::string LogName() const { return scratch_ / "t.log"; }
  std::string LogText() const { return At(ReadText(LogName())); }
  std::string SleepCalls() const { return ReadText(scratch_ / "sleep.log"); }
  // A pool string's text ("(none)" for null), released.
  static std::string TakeText(char* s) {
    const std::string text = s ? s : "(none)";
    PutMem(s);
    return text;
  }
  static std::string Out(const std::function<void()>& body) {
    testing::internal::CaptureStdout();
    body();
    return testing::internal::GetCapturedStdout();
  }
  // Standard output and error of the body run in a child, both into one
  // file as when the installer's output is redirected.
  std::string Redirected(const std::function<void()>& body) const {
    const ChildRun r = RunChild("", body, true);
    EXPECT_EQ(r.status, 0);
    return At(r.out);
  }
  // Starts the log as a first logged call does, then forgets its lines and pauses.
  void StartLog() {
    Out([] { SysCmd(CMD_SHELL, SC_WARN, "%s", "true"); });
    gShellLines.clear();
    std::remove((scratch_ / "sleep.log").c_str());
  }

 private:
  int (*defaultShell_)(const char*) = pSysCmdShell;
};
