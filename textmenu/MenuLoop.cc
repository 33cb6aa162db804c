// The menu loop: preparing a menu, reading choices, processing items and
// the ways out of a menu.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "HelpTty/HelpTty.h"
#include "MemMgr/MemMgr.h"
#include "textmenu/MenuInternal.h"
#include "textmenu/textmenu.h"
#include "utils/utils.h"

using textmenu::ItemAt;
using textmenu::Txt;

uint8_t flExitTextMenu = 0;
TextMenuItem BlankTaskItem = {"", TM_BLANK, {nullptr}, nullptr, {0}, {3}, nullptr, 0, nullptr, 0, nullptr};
const char szDisabledEnabled[] = "disabled,enabled";
const char szNoYes[] = "No,Yes";

static const char kStoreRule[] = "/A(1,255)+-+_+/";

static void RunHandler(TextMenu* menu, TextMenuItem* item) {
  if (item->Handler) item->Handler(menu, item);
}

static int CountChoices(const char* list) {
  if (!list) return 0;
  int n = 0;
  for (char* t = GetToken(list, ","); t; t = GetToken(nullptr, ",")) n++;
  return n;
}

int InitMenu(TextMenu* menu, int* selMap) {
  int longest = 0;
  int slot = 1;
  for (int i = 0; i < TM_MAP_SIZE; i++) selMap[i] = -1;
  for (int i = 0; menu->pItems && menu->pItems[i].pName; i++) {
    TextMenuItem* item = &menu->pItems[i];
    item->NameLen = static_cast<int32_t>(strlen(item->pName));
    if (item->NameLen > longest) longest = item->NameLen;
    switch (textmenu::BaseKind(item->Kind)) {
      case TM_CHOICE:
        item->PromptCnt.Cnt = CountChoices(item->pList);
        item->Value = item->Default;
        break;
      case TM_NAME:
      case TM_STRING:
        textmenu::StoreText(item, Txt(item->Default.Text));
        break;
      case TM_INT:
      case TM_FLOAT:
        item->Value = item->Default;
        break;
      default:
        break;
    }
  }
  // Formats only once every item holds its default: a later default must
  // not undo a preset. The numbers follow, as the formats leave the kinds.
  for (int i = 0; menu->pItems && menu->pItems[i].pName; i++)
    if (textmenu::BaseKind(menu->pItems[i].Kind) == TM_CHOICE) ProcessStateFormat(menu, i);
  for (int i = 0; menu->pItems && menu->pItems[i].pName; i++)
    if (textmenu::TakesNumber(menu->pItems[i].Kind) && slot <= TM_MAX_NUMBER) selMap[slot++] = i;
  selMap[slot] = -1;
  return longest;
}

void FreeMenu(TextMenu* menu) {
  for (int i = 0; menu->pItems && menu->pItems[i].pName; i++) {
    TextMenuItem* item = &menu->pItems[i];
    if (textmenu::IsTextEntry(item->Kind) && item->Value.Buf) {
      PutMem(item->Value.Buf);
      item->Value.Buf = nullptr;
    }
  }
}

int TestNames(TextMenu* menu) {
  for (int i = 0; menu->pItems && menu->pItems[i].pName; i++) {
    TextMenuItem* item = &menu->pItems[i];
    if (item->Kind == TM_NAME && (!item->Value.Buf || !item->Value.Buf[0])) {
      printf("\nAll names must be set before applying setup.\nPress <Return> to continue");
      fflush(stdout);
      ReadAnswer();
      return 0;
    }
  }
  return 1;
}

static void StoreSettings(TextMenu* menu, const char* path) {
  pOut = OpenFile(pOut, path, "wt", 1);
  if (!pOut) return;
  StoreMenu(menu);
  fclose(pOut);
  pOut = nullptr;
}

int FindSelection(TextMenu* menu, int* selMap, int count) {
  if (count > TM_MAX_NUMBER) count = TM_MAX_NUMBER;
  unsigned char c = static_cast<unsigned char>(LineBuf[0]);
  if (isdigit(c)) {
    int n = 0;
    for (const char* p = LineBuf; isdigit(static_cast<unsigned char>(*p)) && n <= TM_MAX_NUMBER; p++)
      n = n * 10 + (*p - '0');
    if (n < 1 || n > count) return 0;
    TextMenuItem* item = ItemAt(menu, selMap[n]);
    if (!item || item->pName[0] == '~' || item->Kind >= 256) return 0;
    return n;
  }
  if (c == '\0') return 0;
  c = static_cast<unsigned char>(tolower(c));
  if (c == 'h' && (menu->Flags & TMF_HELP)) {
    RunHelpMenu(LineBuf + 1);
    return 0;
  }
  if (c == 's' && (menu->Flags & TMF_STOREASK)) {
    printf("Enter the settings file name: ");
    fflush(stdout);
    ReadAnswer();
    if (ValidateEntry(LineBuf, kStoreRule) == 0) StoreSettings(menu, LineBuf);
    return 0;
  }
  if (c == 's' && (menu->Flags & TMF_STOREEXIT)) {
    pOut = OpenFile(pOut, ".settings", "wt", 1);
    if (!pOut) return 0;
    StoreMenu(menu);
    fclose(pOut);
    pOut = nullptr;
    exit(0);
  }
  for (int n = 1; n <= count; n++) {
    TextMenuItem* item = ItemAt(menu, selMap[n]);
    if (!item) break;
    if (item->pName[0] == '~' && static_cast<unsigned char>(item->pName[1]) == c) return n;
  }
  return 0;
}

// Steps to the next choice whose text does not begin with a blank; the
// current choice itself is never taken again, so a list whose other texts
// all begin with a blank leaves the value as it was.
static int ProcessChoice(TextMenu* menu, int index, TextMenuItem* item) {
  int64_t cnt = item->PromptCnt.Cnt;
  if (!item->pList || cnt <= 0) return 0;
  int64_t start = static_cast<int32_t>(item->Value.Int);
  for (int64_t k = 1; k <= cnt; k++) {
    int64_t cand = ((start + k) % cnt + cnt) % cnt;
    if (cand == start) break;
    const char* text = GetTokenN(item->pList, ",", static_cast<unsigned>(cand) + 1);
    if (text && text[0] != ' ') {
      item->Value.Int = static_cast<intptr_t>(cand);
      item->SavedValue = -1;
      ProcessStateFormat(menu, index);
      return 1;
    }
  }
  return 0;
}

// Prompts for an entry; 1 with a valid non-empty answer in LineBuf.
static int ReadEntry(TextMenuItem* item) {
  printf("%s: ", Txt(item->PromptCnt.pPrompt));
  fflush(stdout);
  ReadAnswer();
  return LineBuf[0] != '\0' && ValidateEntry(LineBuf, item->pRule) == 0;
}

int ProcessSelection(TextMenu* menu, int index) {
  TextMenuItem* item = ItemAt(menu, index);
  if (!item) return 0;
  int result = 0;
  switch (item->Kind) {
    case TM_APPLY:
      if (!TestNames(menu)) return 0;
      RunHandler(menu, item);
      return 1;
    case TM_LOADFAIL:
    case TM_EXIT:
    case TM_ACTION:
      RunHandler(menu, item);
      return 1;
    case TM_SUBMENU: {
      TextMenu* sub = ValidateMenu(menu, index);
      if (sub) RunMenu(sub, nullptr, 1);
      if (menu->RefreshFn) menu->RefreshFn(menu);
      RunHandler(menu, item);
      return 0;
    }
    case TM_CHOICE:
      result = ProcessChoice(menu, index, item);
      RunHandler(menu, item);
      return result;
    case TM_NAME:
    case TM_STRING:
      if (ReadEntry(item)) {
        textmenu::StoreText(item, LineBuf);
        RunHandler(menu, item);
        result = 1;
      }
      RunHandler(menu, item);
      return result;
    case TM_INT:
      if (ReadEntry(item)) {
        item->Value.Int = textmenu::ToInt(LineBuf);
        result = 1;
      }
      RunHandler(menu, item);
      return result;
    case TM_FLOAT:
      if (ReadEntry(item)) {
        item->Value.Float = strtof(LineBuf, nullptr);
        result = 1;
      }
      RunHandler(menu, item);
      return result;
    default:
      RunHandler(menu, item);
      return 0;
  }
}

static int TitleWidth(const char* title) {
  if (!title) return 0;
  const char* first = GetToken(title, "\n\r");
  return first ? static_cast<int>(strlen(first)) : 0;
}

// The questions asked when an empty line leaves the menu; 1 when it is left.
static int Leave(TextMenu* menu, uint8_t changed) {
  if (menu->pApplyQuery) {
    if (changed && PromptYN("%s", menu->pApplyQuery)) {
      if (!TestNames(menu)) return 0;
      if (menu->ApplyFn) menu->ApplyFn(menu);
      FreeMenu(menu);
      return 1;
    }
  } else if (menu->ApplyFn) {
    menu->ApplyFn(menu);
  }
  if (menu->pParent) {
    if (PromptYN("\nDo you want to return to %s menu", Txt(menu->pParent->pTitle))) {
      FreeMenu(menu);
      return 1;
    }
  } else if (PromptYN("\nDo you want to exit %s", Txt(my_name))) {
    FreeMenu(menu);
    printf("\n");
    fflush(stdout);
    return 1;
  }
  if (menu->RefreshFn) menu->RefreshFn(menu);
  return 0;
}

int RunMenu(TextMenu* menu, const char* settings, uint8_t interactive) {
  int selMap[TM_MAP_SIZE];
  uint8_t changed = 0;
  if (menu->RefreshFn) menu->RefreshFn(menu);
  int longest = InitMenu(menu, selMap);
  if (settings) {
    if (OpenInputFile(settings, 1)) {
      LoadMenu(menu);
      CloseInputFile();
    } else {
      TextMenuItem* item = FindTextMenuItem(menu, TM_LOADFAIL);
      if (item && item->Handler) item->Handler(menu, item);
      return 0;
    }
  }
  if (!interactive) {
    if (menu->ApplyFn) menu->ApplyFn(menu);
    return 0;
  }
  for (;;) {
    // Measured at every draw: a handler may retitle the menu (each help
    // screen has a title of its own).
    int count = PrintMenu(menu, longest, TitleWidth(menu->pTitle));
    ReadAnswer();
    if (LineBuf[0] == '\0' && !(menu->Flags & TMF_NORETURN)) {
      if (Leave(menu, changed)) return 0;
      continue;
    }
    int number = FindSelection(menu, selMap, count);
    if (number == 0) continue;
    int index = selMap[number];
    int kind = menu->pItems[index].Kind;
    int result = ProcessSelection(menu, index);
    // A handler may have rebuilt the array; an index past its new end
    // keeps the kind noted before.
    TextMenuItem* now = ItemAt(menu, index);
    if (!(menu->Flags & TMF_KINDBEFORE) && now) kind = now->Kind;
    if (flExitTextMenu || (result == 1 && kind >= TM_APPLY && kind <= TM_EXIT)) {
      if (!(menu->Flags & TMF_KEEP)) FreeMenu(menu);
      return 0;
    }
    if (result == 1 && kind == TM_ACTION && (menu->Flags & TMF_REINIT)) {
      longest = InitMenu(menu, selMap);
      continue;
    }
    if (!changed) changed = static_cast<uint8_t>(result);
  }
}
