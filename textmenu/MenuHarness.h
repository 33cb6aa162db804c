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
  TextMenuItem item{};
  item.pName = name;
  item.Kind = kind;
  item.Handler = handler;
  item.SavedValue = -1;
  return item;
}

inline TextMenuItem Choice(const char* name, const char* list, intptr_t def,
                           const char* format = nullptr) {
  TextMenuItem item = Item(name, TM_CHOICE);
  item.pList = list;
  item.Default.Int = def;
  item.pRule = format;
  return item;
}

inline TextMenuItem Entry(const char* name, int kind, const char* prompt, const char* rule) {
  TextMenuItem item = Item(name, kind);
  item.PromptCnt.pPrompt = prompt;
  item.pRule = rule;
  return item;
}

inline TextMenuItem Bar(int kind, intptr_t columns, const char* name = "") {
  TextMenuItem item = Item(name, kind);
  item.Value.Int = columns;
  return item;
}

inline TextMenuItem End() { return TextMenuItem{}; }

inline TextMenu Menu(const char* title, TextMenuItem* items, uint16_t flags, int style = 1) {
  TextMenu menu{};
  menu.pTitle = title;
  menu.TitleStyle = style;
  menu.pItems = items;
  menu.Flags = flags;
  return menu;
}

// The screen of the menu drawn once, as the loop does, then "[[n]]" with
// the count PrintMenu returned.
std::string Draw(TextMenu* menu);

// Test handlers print markers "[[...]]"; this returns them in order,
// joined by blanks, so a test can follow what ran without the screens.
std::string Markers(const std::string& out);

// Number of times text occurs in out.
int Count(const std::string& out, const std::string& text);
