// Settings files: writing a menu's values (and those of the sub-menus it
// leads to) and reading them back.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "textmenu/MenuInternal.h"
#include "textmenu/textmenu.h"
#include "utils/utils.h"

using textmenu::ItemAt;

namespace {

// Sub-menus may lead back to a menu above them; nesting deeper than this
// is not followed.
const int kMaxDepth = 16;

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void StoreLevel(TextMenu* menu, int depth) {
  TextMenuItem* items = menu->pItems;
  for (int i = 0; items && items[i].pName; i++) {
    TextMenuItem* item = &items[i];
    switch (textmenu::ClassOfKind(item->Kind)) {
      case textmenu::VC_INT:
        fprintf(pOut, "%i[%i] %i\n", i, static_cast<int>(item->Value.Int), item->Kind);
        break;
      case textmenu::VC_TEXT:
        fprintf(pOut, "%i[%s] %i\n", i, textmenu::Txt(item->Value.Text), item->Kind);
        break;
      case textmenu::VC_FLOAT:
        fprintf(pOut, "%i[%.3f] %i\n", i, static_cast<double>(item->Value.Float), item->Kind);
        break;
      default:
        break;
    }
  }
  if (depth >= kMaxDepth) return;
  for (int i = 0; items && items[i].pName; i++) {
    if (items[i].Kind != TM_SUBMENU) continue;
    TextMenu* sub = ValidateMenu(menu, i);
    if (!sub) continue;
    fprintf(pOut, "%i{\n", i);
    StoreLevel(sub, depth + 1);
    fprintf(pOut, "}\n");
  }
}

// One settings line taken apart as sscanf "%d%c%s]" would: the item index,
// the character behind it and the word after that, its closing "]" dropped.
struct SettingsLine {
  bool hasIndex = false;
  int index = 0;
  char mark = '\0';
  char word[sizeof LineBuf] = "";
};

void ParseLine(const char* line, SettingsLine* out) {
  const char* p = line;
  while (IsSpace(*p)) p++;
  const char* digits = p;
  if (*digits == '+' || *digits == '-') digits++;
  if (*digits < '0' || *digits > '9') return;
  char* end;
  long long v = strtoll(p, &end, 10);
  out->hasIndex = true;
  out->index = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
  p = end;
  if (!*p) return;
  out->mark = *p++;
  while (IsSpace(*p)) p++;
  size_t n = 0;
  while (p[n] && !IsSpace(p[n])) n++;
  if (n >= sizeof out->word) n = sizeof out->word - 1;
  memcpy(out->word, p, n);
  if (n > 0 && out->word[n - 1] == ']') n--;
  out->word[n] = '\0';
}

// The kind written behind the first "]", or 0 when there is none.
int StoredKind(const char* line) {
  const char* close = strchr(line, ']');
  if (!close || !close[1]) return 0;
  return textmenu::ToInt(close + 1);
}

void LoadLevel(TextMenu* menu, int depth) {
  while (GetFileLine()) {
    if (LineBuf[0] == '}') {
      TextMenuItem* apply = FindTextMenuItem(menu, TM_APPLY);
      if (apply && apply->Handler) apply->Handler(menu, apply);
      return;
    }
    SettingsLine line;
    ParseLine(LineBuf, &line);
    TextMenuItem* item = line.hasIndex ? ItemAt(menu, line.index) : nullptr;
    if (!item) continue;
    if (line.mark == '{') {
      TextMenu* sub = depth < kMaxDepth ? ValidateMenu(menu, line.index) : nullptr;
      if (sub) {
        LoadLevel(sub, depth + 1);
        continue;
      }
    }
    int stored = StoredKind(LineBuf);
    switch (textmenu::ClassOfKind(item->Kind)) {
      case textmenu::VC_INT:
        item->Value.Int = textmenu::ToInt(line.word);
        break;
      case textmenu::VC_TEXT:
        textmenu::StoreText(item, line.word);
        break;
      case textmenu::VC_FLOAT:
        item->Value.Float = strtof(line.word, nullptr);
        break;
      default:
        continue;
    }
    // Only the disabled and hidden bits, or one text kind for the other,
    // may change: another base kind would read the value as something it
    // is not.
    const int base = textmenu::BaseKind(stored);
    const bool sameValue = base == textmenu::BaseKind(item->Kind) ||
                           (textmenu::IsTextEntry(base) && textmenu::IsTextEntry(item->Kind));
    if (stored != 0 && base >= 0 && base <= TM_FLOAT && sameValue) item->Kind = stored;
  }
}

}  // namespace

void StoreMenu(TextMenu* menu) {
  if (pOut) StoreLevel(menu, 0);
}

void LoadMenu(TextMenu* menu) { LoadLevel(menu, 0); }

TextMenuItem* FindTextMenuItem(TextMenu* menu, int kind) {
  for (int i = 0; menu->pItems && menu->pItems[i].pName; i++)
    if (menu->pItems[i].Kind == kind) return &menu->pItems[i];
  return nullptr;
}
