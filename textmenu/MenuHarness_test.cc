// The harness of MenuHarness.h.
#include "textmenu/MenuHarness.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "SysCmd/SysCmd.h"
#include "utils/utils.h"

ScratchDir::ScratchDir() {
  char tmpl[] = "/tmp/textmenu_test_XXXXXX";
  const char* dir = mkdtemp(tmpl);
  path_ = dir ? dir : "/tmp";
}

ScratchDir::~ScratchDir() {
  std::string cmd = "rm -rf '" + path_ + "'";
  if (path_ != "/tmp" && system(cmd.c_str()) != 0) perror("rm");
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteWholeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

static const std::string& FakeClearDir() {
  static ScratchDir* dir = [] {
    auto* d = new ScratchDir;
    WriteWholeFile(d->File("clear"), "#!/bin/sh\nexit 0\n");
    chmod(d->File("clear").c_str(), 0755);
    return d;
  }();
  return dir->path();
}

ScriptedRun RunScripted(const std::string& input, const std::function<void()>& body) {
  ScratchDir io;
  WriteWholeFile(io.File("in"), input);
  const std::string clearDir = FakeClearDir();
  fflush(stdout);
  fflush(stderr);
  pid_t pid = fork();
  if (pid == 0) {
    int in = open(io.File("in").c_str(), O_RDONLY);
    int out = open(io.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(io.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    close(in);
    close(out);
    close(err);
    clearerr(stdin);
    ComList[CMD_CLEAR].pPath = clearDir.c_str();
    static char name[] = "setup";
    my_name = name;
    body();
    fflush(stdout);
    fflush(stderr);
    _exit(0);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  ScriptedRun r;
  r.out = ReadWholeFile(io.File("out"));
  r.err = ReadWholeFile(io.File("err"));
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  return r;
}

std::string Screen(const std::string& centredTitle, const std::string& body, const std::string& prompt) {
  std::string pad(centredTitle.size() <= 80 ? (80 - centredTitle.size()) / 2 : 0, ' ');
  return "\f\n" + pad + centredTitle + "\n\n" + body + prompt;
}

std::string Markers(const std::string& out) {
  std::string result;
  size_t pos = 0;
  while ((pos = out.find("[[", pos)) != std::string::npos) {
    size_t end = out.find("]]", pos);
    if (end == std::string::npos) break;
    if (!result.empty()) result += ' ';
    result += out.substr(pos + 2, end - pos - 2);
    pos = end + 2;
  }
  return result;
}

int Count(const std::string& out, const std::string& text) {
  int n = 0;
  for (size_t pos = 0; (pos = out.find(text, pos)) != std::string::npos; pos += text.size()) n++;
  return n;
}
