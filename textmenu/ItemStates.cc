// Items that change with other items' values: state formats of choices and
// the condition lists that pick a sub-menu.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "textmenu/MenuInternal.h"
#include "textmenu/textmenu.h"
#include "utils/utils.h"

using textmenu::ItemAt;

namespace {

const char kFormatDelims[] = "{,.} ";

// Formats that run each other through P may form a cycle; deeper calls
// than this are dropped.
const int kMaxFormatDepth = 16;
int formatDepth = 0;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool HoldsPointer(int kind) {
  int base = textmenu::BaseKind(kind);
  return base == TM_NAME || base == TM_STRING || base == TM_SUBMENU;
}

void ApplyOperation(TextMenu* menu, char op, int target, int value, int inState) {
  TextMenuItem* item = ItemAt(menu, target);
  if (!item) return;
  switch (op) {
    case 'N':
      item->Kind = inState ? (item->Kind | TM_DISABLED) : (item->Kind & ~TM_DISABLED);
      break;
    case 'H':
      item->Kind = inState ? (item->Kind | TM_HIDDEN) : (item->Kind & ~TM_HIDDEN);
      break;
    case 'S':
      // Text and sub-menu items hold pointers; a number must not replace them.
      if (HoldsPointer(item->Kind)) break;
      if (inState) {
        item->SavedValue = static_cast<int32_t>(item->Value.Int);
        item->Value.Int = value;
      } else if (item->SavedValue == value) {
        item->Value.Int = item->SavedValue;
        item->SavedValue = -1;
      }
      break;
    case 'P':
      if (inState) {
        const char* savedPos = szTokenIn;
        char savedDel = chTokenDel;
        ProcessStateFormat(menu, target);
        SetTokenBuf(savedPos);
        chTokenDel = savedDel;
      }
      break;
    default:
      break;
  }
}

}  // namespace

int TestFormatState(const char* list, int value) {
  if (!list || !*list) return 0;
  const char* p = list;
  for (;;) {
    if (*p == '*') return 1;
    // Only the first number can carry a sign; a negative one that does not
    // match is passed over whole, so "-1" never matches 1.
    bool negative = *p == '-' && IsDigit(p[1]);
    if (IsDigit(*p) || negative) {
      long long n = strtoll(p, nullptr, 10);
      if (n == value) return 1;
    }
    if (negative) p++;
    while (IsDigit(*p)) p++;
    while (*p && !IsDigit(*p)) p++;
    if (!*p) return 0;
  }
}

void ProcessStateFormat(TextMenu* menu, int index) {
  TextMenuItem* item = ItemAt(menu, index);
  if (!item || !item->pRule || item->Kind < 1 || item->Kind > 255) return;
  if (formatDepth >= kMaxFormatDepth) return;
  ++formatDepth;
  char* word = GetToken(item->pRule, kFormatDelims);
  while (word && *word) {
    char op = word[0];
    char list[96];
    snprintf(list, sizeof list, "%s", word + 1);
    word = GetToken(nullptr, kFormatDelims);
    int inState = TestFormatState(list, static_cast<int32_t>(item->Value.Int));
    bool ended = false;
    while (word && *word && !ended) {
      int target = textmenu::ToInt(word);
      int value = 0;
      if (op == 'S') {
        word = GetToken(nullptr, kFormatDelims);
        value = word ? textmenu::ToInt(word) : 0;
      }
      char del = chTokenDel;
      ApplyOperation(menu, op, target, value, inState);
      // P puts the scan back as it was, delimiter included.
      if (op == 'P') del = chTokenDel;
      ended = del == '}' || del == ' ';
      word = GetToken(nullptr, kFormatDelims);
    }
  }
  --formatDepth;
}

int TestState(TextMenu* menu, const char* term) {
  int index = 0, value = 0;
  if (sscanf(term, "%d.%d", &index, &value) != 2) return 0;
  TextMenuItem* item = ItemAt(menu, index);
  if (!item || static_cast<int32_t>(item->Value.Int) != value) return 0;
  return (item->Kind >= 1 && item->Kind <= 255) ? 1 : 2;
}

namespace {

// The reading position in the condition under test, shared by the nested
// reads of operands and groups.
const char* cursor = "";
const int kMaxNesting = 64;

bool IsOperatorChar(char c) { return c && strchr("!&|()A", c); }

int ReadGroup(TextMenu* menu, int depth, bool inner);

// One operand: "!" operand, "(" group ")", or a term with an optional A.
int ReadOperand(TextMenu* menu, int depth) {
  if (depth > kMaxNesting) {
    cursor += strlen(cursor);
    return 0;
  }
  char c = *cursor;
  if (c == '\0' || c == '&' || c == '|' || c == ')') return 0;
  if (c == '!') {
    cursor++;
    return !ReadOperand(menu, depth + 1);
  }
  if (c == '(') {
    cursor++;
    return ReadGroup(menu, depth + 1, true);
  }
  std::string term;
  while (*cursor && !IsOperatorChar(*cursor)) term += *cursor++;
  bool needDisabled = false;
  if (*cursor == 'A') {
    needDisabled = true;
    cursor++;
  }
  int state = TestState(menu, term.c_str());
  return needDisabled ? state == 2 : state != 0;
}

// Operands combined strictly left to right, up to the end of the text or,
// inside parentheses, the closing ")".
int ReadGroup(TextMenu* menu, int depth, bool inner) {
  int result = ReadOperand(menu, depth);
  for (;;) {
    char c = *cursor;
    if (c == '\0') return result;
    if (c == ')') {
      cursor++;
      if (inner) return result;
      continue;  // unmatched at the outer level: passed over
    }
    if (c == '&' || c == '|') {
      cursor++;
      int next = ReadOperand(menu, depth);
      result = c == '&' ? (result && next) : (result || next);
      continue;
    }
    // An operand without an operator in front of it replaces the result.
    result = ReadOperand(menu, depth);
  }
}

}  // namespace

int TestStateCondition(TextMenu* menu, const char* cond) {
  if (!cond) return 0;
  cursor = cond;
  return ReadGroup(menu, 0, false) ? 1 : 0;
}

TextMenu* ValidateMenu(TextMenu* menu, int index) {
  TextMenuItem* item = ItemAt(menu, index);
  // Only an enabled sub-menu item holds menu pointers in its value.
  if (!item || item->Kind != TM_SUBMENU) return nullptr;
  if (!item->pRule) return item->Value.Menu;
  if (!item->Value.Menus) return nullptr;
  const char* p = item->pRule;
  for (int k = 0;; k++) {
    while (*p == ' ') p++;
    if (!*p) return nullptr;
    const char* end = strchr(p, ' ');
    if (!end) end = p + strlen(p);
    std::string cond(p, end);
    if (TestStateCondition(menu, cond.c_str())) return item->Value.Menus[k];
    p = end;
  }
}
