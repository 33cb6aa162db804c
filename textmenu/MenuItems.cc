// Item array access and value helpers shared by the engine.
#include <climits>
#include <cstdlib>
#include <cstring>

#include "MemMgr/MemMgr.h"
#include "textmenu/MenuInternal.h"

namespace textmenu {

int ItemCount(const TextMenu* menu) {
  int n = 0;
  if (menu && menu->pItems)
    while (menu->pItems[n].pName) n++;
  return n;
}

TextMenuItem* ItemAt(TextMenu* menu, int index) {
  if (index < 0 || index >= ItemCount(menu)) return nullptr;
  return &menu->pItems[index];
}

ValueClass ClassOfKind(int kind) {
  switch (kind) {
    case 9: case 12: case 265: case 268: case 521: case 524:
      return VC_INT;
    case 10: case 11: case 266: case 267: case 522: case 523:
      return VC_TEXT;
    case 13: case 269: case 525:
      return VC_FLOAT;
    default:
      return VC_NONE;
  }
}

void StoreText(TextMenuItem* item, const char* text) {
  if (!item->Value.Buf) item->Value.Buf = static_cast<char*>(GetMem(256));
  if (!item->Value.Buf) return;
  strncpy(item->Value.Buf, text, 255);
  item->Value.Buf[255] = '\0';
}

int32_t ToInt(const char* text) {
  long long v = strtoll(text, nullptr, 10);
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

}  // namespace textmenu
