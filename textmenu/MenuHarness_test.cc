// The harness of MenuHarness.h.
#include "textmenu/MenuHarness.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "SysCmd/SysCmd.h"
#include "utils/utils.h"

ScratchDir::ScratchDir() {
  char tmpl[] = "/tmp/textmenu_test_XXXXXX";
  path_ = mkdtemp(tmpl) ? tmpl : "/tmp";
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;  // links inside are removed, not followed
  if (path_ != "/tmp") std::filesystem::remove_all(path_, ignored);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteWholeFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

ScriptedRun RunScripted(const std::string& input, const std::function<void()>& body) {
  ScratchDir io;
  WriteWholeFile(io.File("in"), input);
  WriteWholeFile(io.File("clear"), "#!/bin/sh\nexit 0\n");  // a clear that prints nothing
  chmod(io.File("clear").c_str(), 0755);
  fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    // glibc's freopen keeps the descriptors 0, 1 and 2 for the new files.
    if (!freopen(io.File("in").c_str(), "r", stdin) ||
        !freopen(io.File("out").c_str(), "w", stdout) ||
        !freopen(io.File("err").c_str(), "w", stderr))
      _exit(99);
    ComList[CMD_CLEAR].pPath = io.path().c_str();
    static char name[] = "setup";
    my_name = name;
    body();
    fflush(nullptr);
    _exit(0);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  return {ReadWholeFile(io.File("out")), ReadWholeFile(io.File("err")),
          WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus)};
}

std::string Screen(const std::string& centredTitle, const std::string& body,
                   const std::string& prompt) {
  std::string pad(centredTitle.size() <= 80 ? (80 - centredTitle.size()) / 2 : 0, ' ');
  return "\f\n" + pad + centredTitle + "\n\n" + body + prompt;
}

std::string Draw(TextMenu* menu) {
  return RunScripted("", [menu] {
           int map[TM_MAP_SIZE];
           int longest = InitMenu(menu, map);
           int titleLen = static_cast<int>(strcspn(menu->pTitle, "\n\r"));
           printf("[[%d]]", PrintMenu(menu, longest, titleLen));
         }).out;
}

std::string Markers(const std::string& out) {
  std::string result;
  for (size_t pos = 0, end; (pos = out.find("[[", pos)) != std::string::npos; pos = end + 2) {
    if ((end = out.find("]]", pos)) == std::string::npos) break;
    result += (result.empty() ? "" : " ") + out.substr(pos + 2, end - pos - 2);
  }
  return result;
}

int Count(const std::string& out, const std::string& text) {
  int n = 0;
  for (size_t pos = 0; (pos = out.find(text, pos)) != std::string::npos; pos += text.size()) n++;
  return n;
}
