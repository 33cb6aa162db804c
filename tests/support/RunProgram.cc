// Child process runner for tests: pipes for all three standard streams,
// drained together so a chatty child never blocks.
#include "tests/support/RunProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

extern char** environ;

namespace {

std::vector<std::string> ChildEnv(const RunSpec& req) {
  std::map<std::string, std::string> vars;
  for (char** e = environ; e && *e; ++e) {
    const char* eq = std::strchr(*e, '=');
    if (eq) vars[std::string(*e, static_cast<size_t>(eq - *e))] = eq + 1;
  }
  for (const auto& [name, value] : req.env) {
    if (value)
      vars[name] = *value;
    else
      vars.erase(name);
  }
  std::vector<std::string> out;
  for (const auto& [name, value] : vars) out.push_back(name + "=" + value);
  return out;
}

// argv[0] as execve wants it: looked up along the child's PATH unless it
// names a path already.
std::string Resolve(const std::string& prog, const std::vector<std::string>& env) {
  if (prog.find('/') != std::string::npos) return prog;
  std::string path = "/usr/bin:/bin";
  for (const std::string& kv : env)
    if (kv.rfind("PATH=", 0) == 0) path = kv.substr(5);
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    std::string dir = path.substr(start, end - start);
    if (dir.empty()) dir = ".";
    std::string cand = dir + "/" + prog;
    if (access(cand.c_str(), X_OK) == 0) return cand;
    start = end + 1;
  }
  return prog;
}

}  // namespace

RunResult RunProgram(const RunSpec& req) {
  RunResult result;
  if (req.argv.empty()) return result;
  const std::vector<std::string> env = ChildEnv(req);
  const std::string prog = Resolve(req.argv[0], env);
  std::vector<char*> argv, envp;
  for (const std::string& a : req.argv) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);

  int in[2], out[2], err[2];
  if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC)) return result;
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid < 0) return result;
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    signal(SIGPIPE, SIG_DFL);
    if (!req.cwd.empty() && chdir(req.cwd.c_str()) != 0) _exit(126);
    execve(prog.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  // Writes to a child that stopped reading must fail, not kill the test.
  struct sigaction ign {}, old {};
  ign.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ign, &old);

  size_t written = 0;
  int inFd = in[1];
  if (req.input.empty()) {
    close(inFd);
    inFd = -1;
  } else {
    fcntl(inFd, F_SETFL, O_NONBLOCK);
  }
  const time_t deadline = time(nullptr) + 60;
  bool outOpen = true, errOpen = true;
  bool killed = false;
  while (outOpen || errOpen) {
    pollfd fds[3];
    int n = 0;
    if (outOpen) fds[n++] = {out[0], POLLIN, 0};
    if (errOpen) fds[n++] = {err[0], POLLIN, 0};
    if (inFd >= 0) fds[n++] = {inFd, POLLOUT, 0};
    int ready = poll(fds, static_cast<nfds_t>(n), 1000);
    if (ready < 0 && errno != EINTR) break;
    if (!killed && time(nullptr) > deadline) {
      kill(pid, SIGKILL);
      killed = true;
    }
    for (int i = 0; i < n && ready > 0; ++i) {
      if (!fds[i].revents) continue;
      if (fds[i].fd == inFd) {
        ssize_t w = write(inFd, req.input.data() + written, req.input.size() - written);
        if (w > 0) written += static_cast<size_t>(w);
        if (w < 0 && errno != EAGAIN) written = req.input.size();
        if (written >= req.input.size()) {
          close(inFd);
          inFd = -1;
        }
        continue;
      }
      char buf[4096];
      ssize_t r = read(fds[i].fd, buf, sizeof buf);
      std::string& sink = fds[i].fd == out[0] ? result.out : result.err;
      if (r > 0) {
        sink.append(buf, static_cast<size_t>(r));
      } else if (r == 0 || errno != EINTR) {
        if (fds[i].fd == out[0]) outOpen = false; else errOpen = false;
      }
    }
  }
  if (inFd >= 0) close(inFd);
  close(out[0]);
  close(err[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  sigaction(SIGPIPE, &old, nullptr);
  if (WIFEXITED(status)) {
    result.status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
    result.status = 128 + result.signal;
  }
  return result;
}

std::string SetupProgram() { return std::string(SETUP_BINARY_DIR) + "/bin/setup"; }
