// LoadDisplay: decodes one screen of the help file into the page text, the
// title and link texts, the jump table and the items of HelpMenu.
#include <cstdio>
#include <cstring>

#include "HelpTty/HelpTty.h"
#include "MemMgr/MemMgr.h"

char HelpPageBuf[HELP_PAGE_SIZE];
char HelpStrBuf[HELP_STR_SIZE];
uint16_t JmpAdr[HELP_JUMP_SIZE];
uint16_t JmpAdrI;

static char* pHelpTitle;  // pool copy shown as HelpMenu's title

namespace {

// Output positions of the screen being decoded. Text that does not fit
// is cut; the last byte of each buffer always stays a NUL.
struct Page {
  size_t Pos = 0;
  size_t StrPos = 0;
  bool LineEmpty = true;  // no ordinary character since the line began

  void Put(const uint8_t* p, size_t n) {
    size_t room = sizeof HelpPageBuf - 1 - Pos;
    if (n > room) n = room;
    memcpy(HelpPageBuf + Pos, p, n);
    Pos += n;
  }
  void Put(char c) { Put(reinterpret_cast<const uint8_t*>(&c), 1); }
  void PutLinkName(const char* name) {
    Put('<');
    Put(reinterpret_cast<const uint8_t*>(name), strlen(name));
    Put('>');
  }
  // Copies a text into the string area, NUL-ended, and returns it.
  char* Save(const uint8_t* p, size_t n) {
    size_t room = sizeof HelpStrBuf - 1 - StrPos;
    if (n > room) n = room;
    char* s = HelpStrBuf + StrPos;
    memcpy(s, p, n);
    s[n] = 0;
    StrPos += n + 1;
    if (StrPos > sizeof HelpStrBuf - 1) StrPos = sizeof HelpStrBuf - 1;
    return s;
  }
};

// Index of the HLP_END that closes the run starting at b, or the end of
// the content when the run is cut off.
size_t RunEnd(const uint8_t* c, size_t b, size_t len) {
  const void* e = b < len ? memchr(c + b, HLP_END, len - b) : nullptr;
  return e ? static_cast<size_t>(static_cast<const uint8_t*>(e) - c) : len;
}

void SetTitle(const char* title) {
  if (HelpMenu.pTitle && strcmp(HelpMenu.pTitle, title) == 0) return;
  PutMem(pHelpTitle);
  pHelpTitle = SaveStr_(title);
  HelpMenu.pTitle = pHelpTitle;
}

// The content of screen s, limited to the bytes the file holds.
size_t ScreenContent(unsigned s, const uint8_t** content) {
  Index = 4 * s + 3;
  DataI = 0;
  if (uint64_t{Index} + 4 <= FileSize) {
    DataI = static_cast<uint32_t>(Data[Index] << 24 | Data[Index + 1] << 16 |
                                  Data[Index + 2] << 8 | Data[Index + 3]);
  }
  uint64_t start = uint64_t{DataI} + 7;
  bool inFile = uint64_t{Index} + 4 <= FileSize && start <= FileSize;
  GetDataRec(&DataI);
  *content = Data;
  if (!inFile || DR.Len <= 0) return 0;
  *content = Data + start;
  uint64_t len = static_cast<uint64_t>(DR.Len);
  return static_cast<size_t>(len < FileSize - start ? len : FileSize - start);
}

}  // namespace

void LoadDisplay() {
  memset(&HelpMenuItems[2], 0, sizeof HelpMenuItems - 2 * sizeof HelpMenuItems[0]);
  JmpAdrI = 0;
  const uint8_t* c;
  size_t len = ScreenContent(History[HistoryI], &c);
  Page page;
  for (size_t i = 0; i < len; i++) {
    switch (c[i]) {
      case HLP_END:
        break;
      case HLP_TITLE: {
        size_t e = RunEnd(c, i + 1, len);
        SetTitle(page.Save(c + i + 1, e - i - 1));
        i = e;
        // Text placed before the title is dropped; the line keeps its
        // state, so a following break still counts as one.
        page.Pos = 0;
        break;
      }
      case HLP_LITERAL: {
        size_t e = RunEnd(c, i + 1, len);
        page.Put(c + i + 1, e - i - 1);
        i = e;
        break;
      }
      case HLP_LINK:
      case HLP_LINK_ALT: {
        if (i + 2 >= len) {  // target value cut off by the end
          i = len;
          break;
        }
        uint16_t target = static_cast<uint16_t>(c[i + 1] << 8 | c[i + 2]);
        size_t e = RunEnd(c, i + 3, len);
        char* name = page.Save(c + i + 3, e - i - 3);
        // Links beyond the item slots are not offered; the page then names
        // them, wherever they stand.
        const bool offered = JmpAdrI < HELP_MAX_LINKS;
        if (offered) {
          JmpAdr[JmpAdrI] = target;
          TextMenuItem& item = HelpMenuItems[2 + JmpAdrI];
          item.pName = name;
          item.Kind = TM_ACTION;
          item.Default.Int = JmpAdrI;
          item.Handler = HelpPickTopic;
          JmpAdrI++;
        }
        i = e;
        // A link alone on its line is only an option and takes the break.
        if (offered && page.LineEmpty && e + 1 < len && c[e + 1] == HLP_NEWLINE)
          i = e + 1;
        else
          page.PutLinkName(name);
        break;
      }
      case HLP_NEWLINE:
        page.Put('\n');
        page.LineEmpty = true;
        break;
      default:
        page.Put(static_cast<char>(c[i]));
        page.LineEmpty = false;
        break;
    }
  }
  HelpPageBuf[page.Pos] = 0;
  // The menu engine measures and prints the title: never leave it null.
  if (!HelpMenu.pTitle) HelpMenu.pTitle = "";
  HelpMenuItems[0].pName = HelpPageBuf;
  HelpMenuItems[0].Kind = TM_TEXT;
  int slot = JmpAdrI ? 2 + JmpAdrI : 1;
  memcpy(&HelpMenuItems[slot], HelpCommonItems, sizeof HelpCommonItems);
}
