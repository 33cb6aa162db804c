// Helpers shared by the engine's source files; not part of the interface.
#pragma once

#include "textmenu/textmenu.h"

namespace textmenu {

// Number of items before the terminating null name.
int ItemCount(const TextMenu* menu);

// Item at a 0-based index, or null when the index names no item.
TextMenuItem* ItemAt(TextMenu* menu, int index);

// Base kinds 4..13, with or without the disabled and hidden bits.
inline bool TakesNumber(int kind) { return kind > 3 && (kind & ~(TM_DISABLED | TM_HIDDEN)) != 0; }

inline int BaseKind(int kind) { return kind & ~(TM_DISABLED | TM_HIDDEN); }

inline bool IsTextEntry(int kind) {
  return BaseKind(kind) == TM_NAME || BaseKind(kind) == TM_STRING;
}

// What a settings line holds for an item of this exact kind.
enum ValueClass { VC_NONE, VC_INT, VC_TEXT, VC_FLOAT };
ValueClass ClassOfKind(int kind);

// Text pointers from tables may be null; print them as empty text.
inline const char* Txt(const char* s) { return s ? s : ""; }

// Copies text into an item's 256-byte value buffer, allocating it first.
void StoreText(TextMenuItem* item, const char* text);

// Integer of a leading decimal number, clamped to 32 bits (atoi without
// the overflow).
int32_t ToInt(const char* text);

}  // namespace textmenu
