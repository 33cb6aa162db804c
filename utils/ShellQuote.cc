// Quoting of values for a shell command line or script: the one place that
// decides what the shell takes as a single word with no expansion.
#include <cctype>

#include "utils/utils.h"

bool IsPlainWord(std::string_view text) {
  for (unsigned char c : text) {
    if (std::isalnum(c)) continue;
    switch (c) {
      case '.': case '_': case '-': case '/': case '+':
      case ',': case ':': case '=': case '@': case '%':
        continue;
      default:
        return false;
    }
  }
  return true;
}

std::string ShellQuote(std::string_view text) {
  if (IsPlainWord(text)) return std::string(text);
  std::string out = "'";
  for (char c : text) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  out += '\'';
  return out;
}
