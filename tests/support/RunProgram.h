// Runs a program as a child process with a chosen environment, working
// directory and standard input, and collects what it printed.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

struct RunRequest {
  std::vector<std::string> argv;  // argv[0] without a slash is looked up along the child's PATH
  // Changes to the current environment: a value sets the variable,
  // std::nullopt removes it.
  std::map<std::string, std::optional<std::string>> env;
  std::string cwd;    // working directory; empty keeps the current one
  std::string input;  // whole standard input; the child then sees its end
};

struct RunResult {
  int status = -1;  // exit status; 128 + signal number when killed
  int signal = 0;   // the signal that ended the child, else 0
  std::string out;  // standard output
  std::string err;  // standard error
};

// A child still running after 60 seconds gets SIGALRM (status 128 + 14),
// so a broken test fails instead of hanging.
RunResult RunProgram(const RunRequest& req);

// The installer built beside the tests: SETUP_BINARY_DIR/bin/setup.
std::string SetupProgram();
