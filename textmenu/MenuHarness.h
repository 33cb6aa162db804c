// Test harness: runs engine code in a child process whose standard input
// is a script and whose standard output and error are captured.
#pragma once

#include <functional>
#include <string>

struct ScriptedRun {
  std::string out;  // everything written to standard output
  std::string err;  // everything written to standard error
  int status;       // exit status; 0 when the body returned; 128+n on signal n
};

// Runs body in a forked child with the given standard input. A fake clear
// command that prints nothing stands in for the real one.
ScriptedRun RunScripted(const std::string& input, const std::function<void()>& body);

// The screen-clearing and prompt frame of one drawn menu with the given
// title line (style 1) and body.
std::string Screen(const std::string& centredTitle, const std::string& body,
                   const std::string& prompt);

// A scratch directory removed with its files at the end of the test.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& text);

#include "textmenu/textmenu.h"

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

inline TextMenuItem Bar(int kind, intptr_t columns, const char* name = "") {
  return {.pName = name, .Kind = kind, .Value = {columns}, .SavedValue = -1};
}

inline TextMenuItem End() { return TextMenuItem{}; }

inline TextMenu Menu(const char* title, TextMenuItem* items, uint16_t flags, int style = 1) {
  return {.pTitle = title, .TitleStyle = style, .pItems = items, .Flags = flags};
}

// The screen of the menu drawn once, as the loop does, then "[[n]]" with
// the count PrintMenu returned.
std::string Draw(TextMenu* menu);

// Test handlers print markers "[[...]]"; this returns them in order,
// joined by blanks, so a test can follow what ran without the screens.
std::string Markers(const std::string& out);

// Number of times text occurs in out.
int Count(const std::string& out, const std::string& text);
