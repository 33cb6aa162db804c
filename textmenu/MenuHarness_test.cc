// The harness of MenuHarness.h.
#include "textmenu/MenuHarness.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "SysCmd/SysCmd.h"
#include "utils/utils.h"

ScriptedRun RunScripted(const std::string& input, const std::function<void()>& body) {
  TestDir io;
  io.Write("in", input);
  chmod(io.Write("clear", "#!/bin/sh\nexit 0\n").c_str(), 0755);  // a clear that prints nothing
  fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    // glibc's freopen keeps the descriptors 0, 1 and 2 for the new files.
    if (!freopen((io / "in").c_str(), "r", stdin) || !freopen((io / "out").c_str(), "w", stdout) ||
        !freopen((io / "err").c_str(), "w", stderr))
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
  return {ReadText(io / "out"), ReadText(io / "err"),
          WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus)};
}

std::string Draw(TextMenu* menu) {
  return RunScripted("",
                     [menu] {
                       int map[TM_MAP_SIZE];
                       int longest = InitMenu(menu, map);
                       printf("[[%d]]",
                              PrintMenu(menu, longest, static_cast<int>(strlen(menu->pTitle))));
                     })
      .out;
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
