// The tokenizer: one process-wide scan, strtok-like, with backslash escapes
// and a record of the delimiter that ended each token.
#include <cstring>

#include "utils/utils.h"

char GetTokenBuf[128];
const char* szTokenIn = nullptr;
char chTokenDel = 0;
uint8_t flTokenCut = 0;

namespace {

const char* szIn = nullptr;  // next character the scan looks at

constexpr size_t kTokenMax = sizeof GetTokenBuf - 1;
constexpr size_t kFindMax = 512;  // framed token of FindToken, terminator included

bool IsDelim(char c, const char* delims) {
  return delims != nullptr && c != '\0' && std::strchr(delims, c) != nullptr;
}

char Unescape(char c) {
  switch (c) {
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    default: return c;
  }
}

}  // namespace

void SetTokenBuf(const char* text) { szIn = szTokenIn = text; }

char* GetToken(const char* text, const char* delims) {
  chTokenDel = 0;
  flTokenCut = 0;
  const bool lineMode = text == TOKEN_LINE_MODE;
  if (text != nullptr && !lineMode) szIn = text;
  if (szIn == nullptr) {
    GetTokenBuf[0] = '\0';
    return nullptr;
  }

  // Each input character gives at most one token character, so a scan of
  // GetTokenBuf itself is safe.
  size_t len = 0;
  bool counted = false;
  auto append = [&](char c) {
    counted = true;
    if (len < kTokenMax)
      GetTokenBuf[len++] = c;
    else
      flTokenCut = 1;  // the rest of an overlong token is dropped
  };
  while (*szIn != '\0') {
    const char c = *szIn;
    if (c == '\\') {
      if (szIn[1] == '\0') {  // a lone backslash at the end adds nothing
        szIn++;
        break;
      }
      append(Unescape(szIn[1]));
      szIn += 2;
    } else if (IsDelim(c, delims)) {
      GetTokenBuf[len] = '\0';
      chTokenDel = c;
      szIn++;
      if (!counted) continue;
      if (lineMode && c == '\n') return nullptr;
      break;
    } else {
      append(c);
      szIn++;
    }
  }
  GetTokenBuf[len] = '\0';
  szTokenIn = szIn;
  return GetTokenBuf[0] != '\0' ? GetTokenBuf : nullptr;
}

char* GetTokenParse(char* text, const char* delims) {
  chTokenDel = 0;
  const bool lineMode = text == TOKEN_LINE_MODE;
  if (text != nullptr && !lineMode) szIn = text;
  if (szIn == nullptr) return nullptr;

  // The caller that continues a scan in place handed in a writable text.
  char* p = const_cast<char*>(szIn);
  char* start = p;
  bool counted = false;
  while (*p != '\0') {
    const char c = *p;
    if (c == '\\') {
      // Escapes stay as written; they only keep the next character in.
      p += p[1] != '\0' ? 2 : 1;
      counted = true;
    } else if (IsDelim(c, delims)) {
      *p++ = '\0';
      chTokenDel = c;
      if (!counted) {
        start = p;
        continue;
      }
      if (lineMode && c == '\n') {
        szIn = p;
        return nullptr;
      }
      break;
    } else {
      p++;
      counted = true;
    }
  }
  szIn = szTokenIn = p;
  return *start != '\0' ? start : nullptr;
}

char* GetTokenN(const char* text, const char* delims, unsigned n) {
  char* token = GetToken(text, delims);
  // n = 0 never matches the count, so the scan runs to its end.
  for (unsigned taken = 1; taken != n && token != nullptr; taken++) token = GetToken(nullptr, delims);
  return token;
}

int FindToken(const char* token, const char* list) {
  if (token == nullptr || list == nullptr || list[0] == '\0') return 0;
  const size_t len = std::strlen(token);
  if (len > kFindMax - 3) return 0;
  char framed[kFindMax];
  const char sep = list[0];
  framed[0] = sep;
  std::memcpy(framed + 1, token, len);
  framed[len + 1] = sep;
  framed[len + 2] = '\0';
  const char* hit = std::strstr(list, framed);
  if (hit == nullptr) return 0;
  int pos = 0;
  for (const char* p = list; p <= hit; p++)
    if (*p == sep) pos++;
  return pos;
}
