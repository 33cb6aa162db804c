// Child process runner for tests. The child's standard streams are files
// in a scratch directory, so a chatty child never blocks on a full pipe.
#include "tests/support/RunProgram.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "tests/support/Scratch.h"

RunResult RunProgram(const RunRequest& req) {
  RunResult result;
  if (req.argv.empty()) return result;
  std::vector<char*> argv;
  for (const std::string& a : req.argv) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  ScratchDir io("run");
  const std::string in = io.Sub("in"), out = io.Sub("out"), err = io.Sub("err");
  WriteFile(in, req.input, 0600);
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid < 0) return result;
  if (pid == 0) {
    const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
    if (dup2(open(in.c_str(), O_RDONLY | O_CLOEXEC), 0) < 0 ||
        dup2(open(out.c_str(), flags, 0600), 1) < 0 || dup2(open(err.c_str(), flags, 0600), 2) < 0)
      _exit(126);
    // The environment changes come first: execvp looks along the child's PATH.
    for (const auto& [name, value] : req.env)
      value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    signal(SIGPIPE, SIG_DFL);
    if (!req.cwd.empty() && chdir(req.cwd.c_str()) != 0) _exit(126);
    alarm(60);  // survives execvp
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.out = ReadFile(out);
  result.err = ReadFile(err);
  if (WIFEXITED(status)) {
    result.status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
    result.status = 128 + result.signal;
  }
  return result;
}

std::string SetupProgram() { return std::string(SETUP_BINARY_DIR) + "/bin/setup"; }
