// Test fixture of the command layer: a scratch bin directory and the
// stand-in commands first on PATH, the table resolved afresh, the log in
// the scratch directory, and a shell hook that records every command line
// the runner starts.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
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
  ScopedEnv path_{"PATH", scratch_.Sub("bin") + ":" + FakeBinPath()};
  ScopedEnv sleepLog_{"FAKE_SLEEP_LOG", scratch_.Sub("sleep.log")};
  std::string logDir_ = scratch_.Path();
  // The rows whose lines tests spell out resolve to @/bin on any host.
  bool binMade_ = [this] {
    MakeDirs(scratch_.Sub("bin"));
    for (const std::string& to : std::initializer_list<std::string>{
             "/bin/cat", "/bin/chmod", "/bin/cp", "/bin/mkdir", "/bin/rm", "/bin/touch",
             FakeBinDir() + "/eject"})
      if (symlink(to.c_str(), (scratch_.Path() + "/bin" + to.substr(to.rfind('/'))).c_str()))
        return false;
    return true;
  }();

  void SetUp() override {
    static char name[] = "t";
    ASSERT_TRUE(binMade_);
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

  // The text with each '@' replaced by the scratch directory.
  std::string S(std::string text) const {
    for (size_t at; (at = text.find('@')) != std::string::npos;)
      text.replace(at, 1, scratch_.Path());
    return text;
  }
  Lines S(const Lines& lines) const {
    Lines out;
    for (const std::string& line : lines) out.push_back(S(line));
    return out;
  }
  std::string LogName() const { return S("@/t.log"); }
  std::string LogText() const { return ReadFile(LogName()); }
  std::string SleepCalls() const { return ReadFile(scratch_.Sub("sleep.log")); }
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
  // Standard output and error of the body run in a child, both into one
  // file as when the installer's output is redirected: standard output is
  // then fully buffered, so only flushes keep the order.
  std::string Redirected(const std::function<void()>& body) const {
    const std::string file = scratch_.Sub("redirected");
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
      if (!std::freopen(file.c_str(), "w", stdout) || dup2(fileno(stdout), 2) != 2) _exit(99);
      body();
      std::fflush(stdout);
      _exit(0);
    }
    int status = -1;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_EQ(status, 0);
    return ReadFile(file);
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
