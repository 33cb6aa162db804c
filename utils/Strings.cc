// Path splitting and saved strings. Each path operation returns its own
// static buffer, overwritten by its next call.
#include <cctype>
#include <cstdarg>
#include <cstring>

#include "MemMgr/MemMgr.h"
#include "utils/utils.h"

namespace {

// Copies n characters of text into buf, cut to what buf holds.
template <size_t N>
char* CopyCut(char (&buf)[N], const char* text, size_t n) {
  if (n > N - 1) n = N - 1;
  std::memmove(buf, text, n);
  buf[n] = '\0';
  return buf;
}

// The last component of path (trailing slashes ignored), or the whole
// path when it has none.
void LastComponent(const char* path, const char** start, size_t* len) {
  const char* end = path + std::strlen(path);
  while (end > path && end[-1] == '/') end--;
  if (end == path) {
    *start = path;
    *len = std::strlen(path);
    return;
  }
  const char* begin = end;
  while (begin > path && begin[-1] != '/') begin--;
  *start = begin;
  *len = static_cast<size_t>(end - begin);
}

// Length of name up to its extension: the first dot behind a non-dot.
size_t NameLen(const char* name, size_t len) {
  for (size_t i = 1; i < len; i++)
    if (name[i] == '.' && name[i - 1] != '.') return i;
  return len;
}

char* SaveCopy(const char* text, size_t n) {
  if (n > INT32_MAX - 1) SysError("Unable to allocate memory");
  auto* block = static_cast<char*>(GetMem(static_cast<int32_t>(n + 1)));
  if (block == nullptr) SysError("Unable to allocate memory");
  std::memcpy(block, text, n);
  block[n] = '\0';
  return block;
}

}  // namespace

char* StripPath(const char* path) {
  static char buf[128];
  if (path == nullptr) return CopyCut(buf, "", 0);
  const char* start;
  size_t len;
  LastComponent(path, &start, &len);
  return CopyCut(buf, start, len);
}

char* StripFn(const char* path) {
  static char buf[256];
  if (path == nullptr || path[0] == '\0') return CopyCut(buf, ".", 1);
  const char* slash = std::strrchr(path, '/');
  if (slash == nullptr) return CopyCut(buf, ".", 1);
  if (slash == path) return CopyCut(buf, "/", 1);
  return CopyCut(buf, path, static_cast<size_t>(slash - path));
}

char* SaveStr(const char* fmt, ...) {
  static char area[4096];
  if (fmt == nullptr) return SaveCopy("", 0);
  va_list args;
  va_start(args, fmt);
  const int n = std::vsnprintf(area, sizeof area, fmt, args);
  va_end(args);
  if (n < 0) area[0] = '\0';
  return SaveCopy(area, std::strlen(area));
}

char* SaveStr_(const char* text) {
  if (text == nullptr) text = "";
  return SaveCopy(text, std::strlen(text));
}

char* StripExt(const char* name) {
  static char buf[128];
  if (name == nullptr) return CopyCut(buf, "", 0);
  return CopyCut(buf, name, NameLen(name, std::strlen(name)));
}

char* StripPathExt(const char* path) {
  static char buf[128];
  if (path == nullptr) return CopyCut(buf, "", 0);
  const char* start;
  size_t len;
  LastComponent(path, &start, &len);
  return CopyCut(buf, start, NameLen(start, len));
}

// The directory part with its slash, the name taken off: "a/b" gives "a/",
// a plain name (".", ".." among them) gives an empty text.
char* StripPathName(const char* path) {
  static char buf[128];
  if (path == nullptr) return CopyCut(buf, "", 0);
  const char* slash = std::strrchr(path, '/');
  return CopyCut(buf, path, slash == nullptr ? 0 : static_cast<size_t>(slash - path + 1));
}

char* SkipSpace(const char* text) {
  if (text == nullptr) return nullptr;
  while (*text != '\0' && std::strchr(" \t\n\v\f\r", *text) != nullptr) text++;
  return const_cast<char*>(text);
}

char* GenName(const char* text) {
  static char buf[128];
  size_t len = 0;
  auto isAlnum = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
  if (text != nullptr) {
    while (*text != '\0' && !std::isalpha(static_cast<unsigned char>(*text))) text++;
    while (*text != '\0') {
      for (bool first = true; isAlnum(*text); text++, first = false) {
        const auto c = static_cast<unsigned char>(*text);
        if (len < sizeof buf - 1) buf[len++] = static_cast<char>(first ? std::toupper(c) : std::tolower(c));
      }
      while (*text != '\0' && !isAlnum(*text)) text++;
    }
  }
  buf[len] = '\0';
  return buf;
}
