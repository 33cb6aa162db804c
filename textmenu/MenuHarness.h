// Test harness: runs engine code in a child process whose standard input
// is a script and whose standard output and error are captured.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "SysCmd/SysCmd.h"
#include "textmenu/textmenu.h"
#include "utils/TestDir.h"
#include "utils/utils.h"

using ScriptedRun = ChildRun;

// Runs body in a forked child (RunChild) with the given standard input. A
// fake clear command that prints nothing stands in for the real one.
inline ScriptedRun RunScripted(const std::string& input, const std::function<void()>& body) {
  TestDir bin;
  bin.Write("clear", "#!/bin/sh\nexit 0\n", 0755);
  return RunChild(input, [&] {
    ComList[CMD_CLEAR].pPath = bin.path().c_str();
    static char name[] = "setup";
    my_name = name;
    body();
  });
}

// Item builders for small test menus.
inline TextMenuItem Item(const char* name, int kind, TextMenuItemFn handler = nullptr) {
  return {.pName = name, .Kind = kind, .Handler = handler, .SavedValue = -1};
}
inline TextMenuItem Choice(const char* name, const char* list, intptr_t def,
                           const char* format = nullptr) {
  return {.pName = name, .Kind = TM_CHOICE, .pList = list, .Default = {def}, .pRule = format,
          .SavedValue = -1};
}
inline TextMenuItem Entry(const char* name, int kind, const char* prompt, const char* rule) {
  return {.pName = name, .Kind = kind, .PromptCnt = {prompt}, .pRule = rule, .SavedValue = -1};
}
inline TextMenuItem Bar(int kind, intptr_t columns) {
  return {.pName = "", .Kind = kind, .Value = {columns}, .SavedValue = -1};
}
inline TextMenuItem End() { return TextMenuItem{}; }
inline TextMenu Menu(const char* title, TextMenuItem* items, uint16_t flags, int style = 1) {
  return {.pTitle = title, .TitleStyle = style, .pItems = items, .Flags = flags};
}

// The screen of the menu drawn once, then "[[n]]" with the count PrintMenu
// returned.
inline std::string Draw(TextMenu* menu) {
  return RunScripted("", [menu] {
           int map[TM_MAP_SIZE];
           const int longest = InitMenu(menu, map);
           printf("[[%d]]", PrintMenu(menu, longest, static_cast<int>(strlen(menu->pTitle))));
         }).out;
}

// Test handlers print markers "[[...]]"; this returns them in order,
// joined by blanks, so a test can follow what ran without the screens.
inline std::string Markers(const std::string& out) {
  std::string result;
  for (size_t pos = 0, end; (pos = out.find("[[", pos)) != std::string::npos; pos = end + 2) {
    if ((end = out.find("]]", pos)) == std::string::npos) break;
    result += (result.empty() ? "" : " ") + out.substr(pos + 2, end - pos - 2);
  }
  return result;
}
