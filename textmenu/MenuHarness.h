// Test harness: runs engine code in a child process whose standard input
// is a script and whose standard output and error are captured.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "textmenu/textmenu.h"
#include "utils/TestDir.h"

struct ScriptedRun {
  std::string out;  // everything written to standard output
  std::string err;  // everything written to standard error
  int status;       // exit status; 0 when the body returned; 128+n on signal n
};

// Runs body in a forked child with the given standard input. A fake clear
// command that prints nothing stands in for the real one.
ScriptedRun RunScripted(const std::string& input, const std::function<void()>& body);

// Item builders for small test menus.
inline TextMenuItem Item(const char* name, int kind, TextMenuItemFn handler = nullptr) {
  return {.pName = name, .Kind = kind, .Handler = handler, .SavedValue = -1};
}
inline TextMenuItem Choice(const char* name, const char* list, intptr_t def,
                           const char* format = nullptr) {
  return {.pName = name,
          .Kind = TM_CHOICE,
          .pList = list,
          .Default = {def},
          .pRule = format,
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
std::string Draw(TextMenu* menu);

// Test handlers print markers "[[...]]"; this returns them in order,
// joined by blanks, so a test can follow what ran without the screens.
std::string Markers(const std::string& out);

// Number of times text occurs in out.
int Count(const std::string& out, const std::string& text);
