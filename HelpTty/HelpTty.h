// HelpTty: the hypertext help viewer. The help file setup.hlp beside the
// program is decoded screen by screen into a page text and the link items
// of HelpMenu, which runs in the ordinary menu loop.
//
// File layout (big-endian integers, offsets from the file start):
//   0      JumpRec: type byte, 16-bit value (both unused)
//   3+4n   offset of the DataRec of screen n; screen 0 is the contents
// DataRec: type byte, 16-bit field (both unused), signed 32-bit content
// length L, then L content bytes holding text and the HLP_ codes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "textmenu/textmenu.h"

// Content codes.
enum {
  HLP_END = 0x01,       // ends a title, literal run or link text
  HLP_TITLE = 0x02,     // screen title up to HLP_END
  HLP_LITERAL = 0x03,   // bytes up to HLP_END go into the page unchanged
  HLP_LINK = 0x04,      // 2-byte target T (screen T-1), then text up to HLP_END
  HLP_LINK_ALT = 0x05,  // same as HLP_LINK
  HLP_NEWLINE = 0x06,   // line break
};

#define HELP_DATA_SIZE 65535   // largest help file taken
#define HELP_PAGE_SIZE 32768   // page text, NUL included
#define HELP_STR_SIZE 8192     // title and link texts of one screen
#define HELP_JUMP_SIZE 1000
#define HELP_HISTORY_SIZE 100
#define HELP_MENU_ITEMS 50
#define HELP_COMMON_ITEMS 6
// Items 0 (page) and 1 (bar) are fixed and the common items close the list.
#define HELP_MAX_LINKS (HELP_MENU_ITEMS - 2 - HELP_COMMON_ITEMS)

struct JumpRec {
  uint8_t Type;
  uint16_t Value;
};

struct DataRec {
  uint8_t Type;
  uint16_t Field;
  int32_t Len;
};

// The help file image and the records last read from it.
extern uint8_t Data[HELP_DATA_SIZE];
extern uint32_t FileSize;
extern uint32_t DataI;  // read position in Data
extern uint32_t Index;  // offset of the current screen's table entry
extern JumpRec JR;
extern DataRec DR;
extern const char* pHelpFile;  // "setup.hlp", looked up in pToolPath

// The current screen.
extern char HelpPageBuf[HELP_PAGE_SIZE];
extern char HelpStrBuf[HELP_STR_SIZE];
extern uint16_t JmpAdr[HELP_JUMP_SIZE];  // target value T of each link
extern uint16_t JmpAdrI;                 // links of the current screen

// Screens visited; History[HistoryI] is the screen to load.
extern uint16_t History[HELP_HISTORY_SIZE];
extern uint16_t HistoryI;

extern TextMenu HelpMenu;
extern TextMenuItem HelpMenuItems[HELP_MENU_ITEMS];
extern TextMenuItem HelpCommonItems[HELP_COMMON_ITEMS];

// Loader.
void GetJumpRec(uint32_t* pos);
void GetDataRec(uint32_t* pos);
void LoadDisplay();
// Reads the help file whole into Data: 1, or 0 when it cannot be opened or
// read, is not a regular file or is longer than HELP_DATA_SIZE; the file
// taken before stays in use then.
int LoadHelpFile(const char* path);
// Takes a help file image from memory, as LoadHelpFile does from a file.
int SetHelpData(const void* bytes, size_t size);
// 1 when the screen table of the loaded file has an entry for the screen.
// The table ends at the contents screen's record or at the file's end.
int HelpScreenExists(unsigned screen);

// Navigation.
void RunHelpMenu(const char* rest);
void MenuHelp();
int HelpContent(TextMenu* menu, TextMenuItem* item);
int HelpBack(TextMenu* menu, TextMenuItem* item);
int HelpPickTopic(TextMenu* menu, TextMenuItem* item);
