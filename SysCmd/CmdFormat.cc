// The small printf-like expander of command lines: substituted values
// reach the shell as single words (ShellQuote), while the format's own
// redirections and globs keep their meaning.
#include <cctype>
#include <cstdio>
#include <cstdint>
#include <cstddef>

#include "SysCmd/CmdLine.h"
#include "utils/utils.h"

namespace {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
// One conversion formatted with its own flags, width and precision.
template <class T>
std::string FormatOne(const std::string& head, T value) {
  char small[128];
  int n = std::snprintf(small, sizeof small, head.c_str(), value);
  if (n < 0) return std::string();
  if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
  std::string big(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), head.c_str(), value);
  big.resize(static_cast<size_t>(n));
  return big;
}
#pragma GCC diagnostic pop

}  // namespace

void AppendCmdFormat(std::string& out, const char* fmt, va_list ap_in) {
  va_list ap;
  va_copy(ap, ap_in);
  const char* p = fmt ? fmt : "";
  while (*p) {
    if (*p != '%') {
      out += *p++;
      continue;
    }
    const char* start = p++;
    if (*p == '%') {
      out += '%';
      ++p;
      continue;
    }
    std::string head = "%";
    while (*p && std::string_view("-+ #0'").find(*p) != std::string_view::npos) head += *p++;
    if (*p == '*') {
      head += std::to_string(va_arg(ap, int));
      ++p;
    } else {
      while (std::isdigit(static_cast<unsigned char>(*p))) head += *p++;
    }
    if (*p == '.') {
      head += *p++;
      if (*p == '*') {
        head += std::to_string(va_arg(ap, int));
        ++p;
      } else {
        while (std::isdigit(static_cast<unsigned char>(*p))) head += *p++;
      }
    }
    std::string len;
    while (*p && std::string_view("hljztLq").find(*p) != std::string_view::npos) len += *p++;
    char conv = *p;
    if (!conv) {  // a lone '%' at the end is copied as it stands
      out += start;
      break;
    }
    ++p;
    std::string full = head + len + conv;
    switch (conv) {
      case 'd': case 'i':
        if (len == "l") out += FormatOne(full, va_arg(ap, long));
        else if (len == "ll" || len == "q") out += FormatOne(head + "ll" + conv, va_arg(ap, long long));
        else if (len == "j") out += FormatOne(full, va_arg(ap, intmax_t));
        else if (len == "z") out += FormatOne(full, va_arg(ap, ptrdiff_t));
        else if (len == "t") out += FormatOne(full, va_arg(ap, ptrdiff_t));
        else out += FormatOne(full, va_arg(ap, int));
        break;
      case 'u': case 'o': case 'x': case 'X':
        if (len == "l") out += FormatOne(full, va_arg(ap, unsigned long));
        else if (len == "ll" || len == "q") out += FormatOne(head + "ll" + conv, va_arg(ap, unsigned long long));
        else if (len == "j") out += FormatOne(full, va_arg(ap, uintmax_t));
        else if (len == "z") out += FormatOne(full, va_arg(ap, size_t));
        else if (len == "t") out += FormatOne(full, va_arg(ap, size_t));
        else out += FormatOne(full, va_arg(ap, unsigned));
        break;
      case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A':
        if (len == "L") out += FormatOne(full, va_arg(ap, long double));
        else out += FormatOne(head + conv, va_arg(ap, double));
        break;
      case 'p':
        out += FormatOne(head + conv, va_arg(ap, void*));
        break;
      case 'c':
        out += ShellQuote(FormatOne(head + 'c', va_arg(ap, int)));
        break;
      case 's': {
        const char* s = va_arg(ap, const char*);
        out += ShellQuote(FormatOne(head + 's', s ? s : "(null)"));
        break;
      }
      case 'n':  // writes nothing into the command line
        (void)va_arg(ap, void*);
        break;
      default:  // unknown conversion: keep its text
        out.append(start, static_cast<size_t>(p - start));
        break;
    }
  }
  va_end(ap);
}
