// Drawing a menu: title, items with numbers, letters and values, bars laid
// out in columns, and the prompt line.
#include <cstdio>
#include <cstring>

#include "SysCmd/SysCmd.h"
#include "textmenu/MenuInternal.h"
#include "textmenu/textmenu.h"
#include "utils/utils.h"

using textmenu::Txt;

static const int kScreenWidth = 80;

// Adds one to the number counter unless the selection map is full; false
// when the item gets no number.
static bool NextNumber(int* number) {
  if (*number >= TM_MAX_NUMBER) return false;
  ++*number;
  return true;
}

// The shown text of a letter item starts at its fourth character.
static const char* LetterText(const char* name) {
  return strlen(name) >= 3 ? name + 3 : "";
}

static void PrintBlanks(int n) {
  for (int i = 0; i < n; i++) putchar(' ');
}

static int ColumnWidth(int columns) { return columns > 0 ? kScreenWidth / columns : kScreenWidth; }

TextMenuItem* PrintMenuBarItem(TextMenuItem* header, int kind, int* index, int* number) {
  int columns = static_cast<int>(header->Value.Int);
  int width = ColumnWidth(columns);
  int x = 0;
  TextMenuItem* cur = header;
  while (cur[1].pName && (kind == TM_BAR || (kind == TM_TEXTBAR && cur[1].Kind == TM_TEXT))) {
    ++cur;
    ++*index;
    if ((kind == TM_TEXTBAR && cur->Kind == TM_TEXT) || (kind == TM_BAR && cur->Kind == TM_BAR)) {
      printf("\n");
      columns = static_cast<int>(cur->Value.Int);
      width = ColumnWidth(columns);
      x = 0;
      continue;
    }
    const char* name = cur->pName;
    int n = static_cast<int>(strlen(name));
    if (x + n > kScreenWidth || (x > 0 && n > width - 5)) {
      printf("\n");
      x = 0;
    }
    int pad = width - 5 - n;
    // Text and blank cells take no number, as the selection map has none
    // for them.
    bool numbered = textmenu::TakesNumber(cur->Kind) && NextNumber(number);
    if (cur->Kind > 512) continue;
    if (!numbered)
      printf("    %s%*s", name, pad < 0 ? 0 : pad, " ");
    else if (name[0] == '~')
      printf(" %c) %s%*s ", name[1], LetterText(name), pad + 2, " ");  // < 0: left-justified
    else
      printf("%2i) %s%*s", *number, name, pad < 0 ? 0 : pad, " ");
    if (n > width - columns) {
      printf("\n");
      x = 0;
    } else {
      x += width;
    }
  }
  return cur;
}

static void PrintTitle(const TextMenu* menu, int titleLen) {
  const char* title = Txt(menu->pTitle);
  switch (menu->TitleStyle) {
    case 0:
      printf("\f\n%s:\n\n", title);
      break;
    case 1:
      printf("\f\n");
      if (titleLen <= kScreenWidth) PrintBlanks((kScreenWidth - titleLen) / 2);
      printf("%s\n\n", title);
      break;
    case 2:
      printf("\f\n");
      if (titleLen < kScreenWidth) PrintBlanks(kScreenWidth - titleLen);
      printf("%s\n\n", title);
      break;
    default:
      break;
  }
}

static void PrintValue(const TextMenuItem* item, int nameLen) {
  int kind = item->Kind;
  if (!((kind >= 9 && kind <= 255) || (kind >= 265 && kind <= 511))) return;
  for (int i = item->NameLen; i < nameLen; i++) putchar('.');
  switch (textmenu::BaseKind(kind)) {
    case TM_CHOICE: {
      int32_t v = static_cast<int32_t>(item->Value.Int);
      const char* text = nullptr;
      if (item->pList && v >= 0) text = GetTokenN(item->pList, ",", static_cast<unsigned>(v) + 1);
      printf(" [%i. %s]", v + (v < INT32_MAX ? 1 : 0), Txt(text));
      break;
    }
    case TM_NAME:
    case TM_STRING:
      printf(" [%s]", Txt(item->Value.Text));
      break;
    case TM_INT:
      printf(" [%i]", static_cast<int>(item->Value.Int));
      break;
    case TM_FLOAT:
      printf(" [%.3f]", static_cast<double>(item->Value.Float));
      break;
    default:
      break;
  }
}

int PrintMenu(TextMenu* menu, int nameLen, int titleLen) {
  SysCmd(CMD_CLEAR, SC_QUIET, "%s", "");
  PrintTitle(menu, titleLen);
  int number = 0;
  for (int i = 0; menu->pItems && menu->pItems[i].pName; i++) {
    TextMenuItem* item = &menu->pItems[i];
    bool visible = true;
    bool numbered = textmenu::TakesNumber(item->Kind) ? NextNumber(&number) : true;
    int kind = item->Kind;
    const char* name = item->pName;
    if (kind == TM_SUBMENU) {
      TextMenu* sub = ValidateMenu(menu, i);
      if (!sub)
        visible = false;
      else if (numbered)
        printf("%2i) %s ", number, Txt(sub->pTitle));
      else
        printf("%*s  %s ", 2, " ", Txt(sub->pTitle));
    } else if (kind == TM_BAR || kind == TM_TEXTBAR) {
      item = PrintMenuBarItem(item, kind, &i, &number);
    } else if (kind == TM_TEXT) {
      printf("%s ", name);
    } else if ((kind >= 257 && kind <= 511) || (kind < 512 && !numbered)) {
      printf("%*s  %s ", 2, " ", name);
    } else if (kind < 512) {
      if (name[0] == '~')
        printf(" %c) %s ", name[1], LetterText(name));
      else
        printf("%2i) %s ", number, name);
    }
    PrintValue(item, nameLen);
    if (visible && item->Kind < 512) printf("\n%s", (menu->Flags & TMF_COMPACT) ? "" : "\n");
  }
  printf("Enter option%s%s%s: ",
         (menu->Flags & (TMF_STOREASK | TMF_STOREEXIT)) ? " or s for store settings in a file" : "",
         (menu->Flags & TMF_HELP) ? " or h for help" : "",
         (menu->Flags & TMF_NORETURN) ? "" : " or <Return> to exit");
  fflush(stdout);
  return number;
}
