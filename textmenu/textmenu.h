// textmenu: numbered and lettered terminal menus described by static
// tables. A menu is one TextMenu record and an array of TextMenuItem
// records ending at the first item whose pName is null. The engine reads
// whole answer lines from standard input into LineBuf and writes screens
// and prompts to standard output.
#pragma once

#include <cstdint>

#include "utils/utils.h"

struct TextMenu;
struct TextMenuItem;

typedef int (*TextMenuFn)(TextMenu* menu);
typedef int (*TextMenuItemFn)(TextMenu* menu, TextMenuItem* item);

// Item kinds and modifier bits.
enum {
  TM_TEXT = 0, TM_TEXTBAR = 1, TM_BLANK = 2, TM_BAR = 3, TM_APPLY = 4,
  TM_LOADFAIL = 5, TM_EXIT = 6, TM_ACTION = 7, TM_SUBMENU = 8, TM_CHOICE = 9,
  TM_NAME = 10, TM_STRING = 11, TM_INT = 12, TM_FLOAT = 13,
};
#define TM_DISABLED 0x100
#define TM_HIDDEN 0x200

// Menu flags.
#define TMF_NORETURN 0x0001
#define TMF_HELP 0x0002
#define TMF_KEEP 0x0004
#define TMF_STOREASK 0x0008
#define TMF_STOREEXIT 0x0010
#define TMF_REINIT 0x0040
#define TMF_KINDBEFORE 0x0080
#define TMF_COMPACT 0x0100

// One word that holds a choice index, an integer, a float or a pointer,
// as the item's kind says.
union TextMenuWord {
  intptr_t Int;  // first, so that {n} in a table is an integer
  float Float;
  void* Ptr;
  const char* Text;
  char* Buf;
  TextMenu* Menu;
  TextMenu** Menus;
};

union TextMenuPromptCnt {
  const char* pPrompt;  // entry kinds
  int32_t Cnt;          // TM_CHOICE: number of choices
};

struct TextMenuItem {
  const char* pName;
  int32_t Kind;
  TextMenuPromptCnt PromptCnt;
  const char* pList;
  TextMenuWord Default;
  TextMenuWord Value;
  TextMenuItemFn Handler;
  int32_t NameLen;
  const char* pRule;
  int32_t SavedValue;
  void* pReserved;
};

struct TextMenu {
  const char* pTitle;
  int32_t TitleStyle;
  const char* pApplyQuery;
  TextMenuFn ApplyFn;
  void* pReserved;
  TextMenu* pParent;
  TextMenuFn RefreshFn;
  TextMenuItem* pItems;
  uint16_t Flags;
  uint16_t Reserved2;
};

extern uint8_t flExitTextMenu;
extern TextMenuItem BlankTaskItem;

// Stock choice lists for menu tables.
extern const char szDisabledEnabled[];  // "disabled,enabled"
extern const char szNoYes[];            // "No,Yes"

// Selection map: entry 0 unused, entries 1..n hold the indexes of the
// numbered items, then -1. At most 98 items get a number.
#define TM_MAP_SIZE 100
#define TM_MAX_NUMBER 98

// One answer line from standard input into LineBuf, without its line
// end; the rest of an over-long line is dropped. End of input ends the
// program.
void ReadAnswer();

// Loop and selection.
int RunMenu(TextMenu* menu, const char* settings, uint8_t interactive);
int InitMenu(TextMenu* menu, int* selMap);  // selMap: TM_MAP_SIZE entries
void FreeMenu(TextMenu* menu);
int FindSelection(TextMenu* menu, int* selMap, int count);
int ProcessSelection(TextMenu* menu, int index);
int PromptYN(const char* fmt, ...) PRINTF_FMT(1, 2);
int TestNames(TextMenu* menu);
TextMenuItem* FindTextMenuItem(TextMenu* menu, int kind);

// Display.
int PrintMenu(TextMenu* menu, int nameLen, int titleLen);
TextMenuItem* PrintMenuBarItem(TextMenuItem* header, int kind, int* index, int* number);

// Entry validation.
int ValidateEntry(const char* entry, const char* rule);
void PostMsg(const char* fmt, ...) PRINTF_FMT(1, 2);
int TestName(const char* text);

// States and formats.
void ProcessStateFormat(TextMenu* menu, int index);
int TestFormatState(const char* list, int value);
TextMenu* ValidateMenu(TextMenu* menu, int index);
int TestStateCondition(TextMenu* menu, const char* cond);
int TestState(TextMenu* menu, const char* term);

// Settings files.
void StoreMenu(TextMenu* menu);
void LoadMenu(TextMenu* menu);
