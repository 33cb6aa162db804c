// Help source compiler and decompiler.
#include "tools/hlpc/HelpSource.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace {

enum : unsigned char { kEnd = 1, kTitle = 2, kLiteral = 3, kLink = 4, kLinkAlt = 5, kNewline = 6 };

const size_t kMaxFile = 65535;
const size_t kMaxLinks = 42;  // link options one help screen can offer
const char kNamesMark[] = "\nhlpc screen names\n";

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '-' || c == '_';
}

bool IsName(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!IsNameChar(c)) return false;
  return true;
}

void Put16(std::string* out, unsigned v) {
  out->push_back(static_cast<char>(v >> 8 & 0xff));
  out->push_back(static_cast<char>(v & 0xff));
}

void Put32(std::string* out, uint32_t v) {
  Put16(out, v >> 16);
  Put16(out, v & 0xffff);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// ---- Compiling ----

struct Compiler {
  std::map<std::string, unsigned> screens;  // name -> screen number
  std::string* error;
  int lineNo = 0;

  bool Fail(const std::string& why) {
    *error = "line " + std::to_string(lineNo) + ": " + why;
    return false;
  }

  // Raw control characters (a carriage return of a DOS-style source, most
  // often) would reach the screen unseen: they must be written as \xHH.
  static bool IsControl(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u < 0x20 && c != '\t') || u == 0x7f;
  }
  bool Control(char c) {
    char buf[48];
    snprintf(buf, sizeof buf, "control character 0x%02x (write \\x%02x)",
             static_cast<unsigned char>(c), static_cast<unsigned char>(c));
    return Fail(buf);
  }

  // Reads one escape at s[*i] == '\\' into *c. A backslash that ends the
  // line is not an escape: the caller checks for it first.
  bool Escape(const std::string& s, size_t* i, char* c) {
    size_t j = *i + 1;
    if (j >= s.size()) return Fail("backslash at the end of the line");
    char e = s[j];
    if (e == 'x') {
      int hi = j + 1 < s.size() ? HexDigit(s[j + 1]) : -1;
      int lo = j + 2 < s.size() ? HexDigit(s[j + 2]) : -1;
      if (hi < 0 || lo < 0) return Fail("\\x needs two hexadecimal digits");
      *c = static_cast<char>(hi * 16 + lo);
      *i = j + 2;
      return true;
    }
    if (e != '\\' && e != '{' && e != '}' && e != '`' && e != '|' && e != '@')
      return Fail(std::string("unknown escape \\") + e);
    *c = e;
    *i = j;
    return true;
  }

  // Text up to the closing character stop; *i ends on it.
  bool Run(const std::string& s, size_t* i, char stop, const char* what, std::string* out) {
    for (; *i < s.size(); ++*i) {
      char c = s[*i];
      if (c == stop) return true;
      if (IsControl(c)) return Control(c);
      if (c == '\\' && !Escape(s, i, &c)) return false;
      out->push_back(c);
    }
    return Fail(std::string("unterminated ") + what);
  }

  bool Link(const std::string& s, size_t* i, std::string* out) {
    size_t j = *i + 1;
    bool alt = j < s.size() && s[j] == '^';
    if (alt) j++;
    size_t bar = s.find('|', j);
    if (bar == std::string::npos) return Fail("link without '|' after its target");
    std::string target = s.substr(j, bar - j);
    unsigned value;
    if (!target.empty() && target[0] == '#') {
      std::string digits = target.substr(1);
      if (digits.empty() || digits.size() > 5 ||
          digits.find_first_not_of("0123456789") != std::string::npos ||
          std::stoul(digits) > 0xffff)
        return Fail("link target " + target + " is not a number from 0 to 65535");
      value = static_cast<unsigned>(std::stoul(digits));
    } else {
      auto it = screens.find(target);
      if (it == screens.end()) return Fail("link to unknown screen '" + target + "'");
      value = it->second + 1;
    }
    std::string text;
    *i = bar + 1;
    if (!Run(s, i, '}', "link", &text)) return false;
    out->push_back(static_cast<char>(alt ? kLinkAlt : kLink));
    Put16(out, value);
    *out += text;
    out->push_back(static_cast<char>(kEnd));
    return true;
  }

  // One text line; *joined is set when it ends in a lone backslash.
  bool TextLine(const std::string& s, std::string* out, bool* joined) {
    *joined = false;
    for (size_t i = 0; i < s.size(); i++) {
      char c = s[i];
      if (IsControl(c)) return Control(c);
      if (c == '\\' && i + 1 == s.size()) {
        *joined = true;
        break;
      }
      if (c == '\\') {
        if (!Escape(s, &i, &c)) return false;
        out->push_back(c);
      } else if (c == '{') {
        if (!Link(s, &i, out)) return false;
      } else if (c == '`') {
        std::string lit;
        i++;
        if (!Run(s, &i, '`', "literal run", &lit)) return false;
        out->push_back(static_cast<char>(kLiteral));
        *out += lit;
        out->push_back(static_cast<char>(kEnd));
      } else if (c == '}') {
        return Fail("'}' outside a link (write \\})");
      } else {
        out->push_back(c);
      }
    }
    return true;
  }

  bool Title(const std::string& s, std::string* out) {
    std::string text;
    if (s.size() > 6) {
      if (s[6] != ' ') return Fail("unknown directive " + s);
      for (size_t i = 7; i < s.size(); i++) {
        char c = s[i];
        if (IsControl(c)) return Control(c);
        if (c == '\\' && !Escape(s, &i, &c)) return false;
        text.push_back(c);
      }
    }
    out->push_back(static_cast<char>(kTitle));
    *out += text;
    out->push_back(static_cast<char>(kEnd));
    return true;
  }
};

// Where link number kMaxLinks + 1 of a screen's content begins, or npos.
// Links are counted as the viewer reads the bytes, so that those written
// with escapes count too: a link code with its two target bytes, then
// text up to the end code; title and literal runs hold none.
size_t ExtraLink(const std::string& content) {
  const unsigned char* c = reinterpret_cast<const unsigned char*>(content.data());
  const size_t len = content.size();
  auto runEnd = [&](size_t b) {
    const void* e = b < len ? memchr(c + b, kEnd, len - b) : nullptr;
    return e ? static_cast<size_t>(static_cast<const unsigned char*>(e) - c) : len;
  };
  size_t links = 0;
  for (size_t i = 0; i < len; i++) {
    if (c[i] == kTitle || c[i] == kLiteral) {
      i = runEnd(i + 1);
    } else if (c[i] == kLink || c[i] == kLinkAlt) {
      if (i + 2 >= len) break;
      if (++links > kMaxLinks) return i;
      i = runEnd(i + 3);
    }
  }
  return std::string::npos;
}

std::vector<std::string> SplitLines(const std::string& source) {
  std::vector<std::string> lines;
  size_t b = 0;
  while (b < source.size()) {
    size_t e = source.find('\n', b);
    if (e == std::string::npos) e = source.size();
    lines.push_back(source.substr(b, e - b));
    b = e + 1;
  }
  return lines;
}

bool StartsWith(const std::string& s, const char* p) { return s.rfind(p, 0) == 0; }

// ---- Decompiling ----

std::string Hex(unsigned char c) {
  char buf[5];
  snprintf(buf, sizeof buf, "\\x%02x", c);
  return buf;
}

// Escapes one byte of text, a title, a link text or a literal run.
std::string Esc(unsigned char c, bool lineStart) {
  if (c == '\\' || c == '{' || c == '}' || c == '`' || (c == '@' && lineStart))
    return std::string("\\") + static_cast<char>(c);
  if ((c < 0x20 && c != '\t') || c == 0x7f) return Hex(c);
  return std::string(1, static_cast<char>(c));
}

std::string EscRun(const unsigned char* p, size_t n) {
  std::string s;
  for (size_t i = 0; i < n; i++) s += Esc(p[i], false);
  return s;
}

uint32_t Get32(const std::string& f, size_t i) {
  uint32_t v = 0;
  for (size_t k = 0; k < 4; k++)
    v = v << 8 | (i + k < f.size() ? static_cast<unsigned char>(f[i + k]) : 0);
  return v;
}

// The names stored behind the last screen, when they fit the screens.
std::vector<std::string> StoredNames(const std::string& f, size_t end, size_t count) {
  std::vector<std::string> names;
  size_t markLen = sizeof kNamesMark - 1;
  if (end > f.size() || f.compare(end, markLen, kNamesMark) != 0) return {};
  names = SplitLines(f.substr(end + markLen));
  if (names.size() != count || f.back() != '\n') return {};
  std::map<std::string, int> seen;
  for (const std::string& n : names)
    if (!IsName(n) || seen[n]++) return {};
  return names;
}

void DecompileScreen(const unsigned char* c, size_t len, const std::vector<std::string>& names,
                     std::string* out) {
  std::string line;
  for (size_t i = 0; i < len; i++) {
    unsigned char b = c[i];
    size_t e = len;
    if ((b == kTitle || b == kLiteral) && i + 1 < len) {
      const void* endp = memchr(c + i + 1, kEnd, len - i - 1);
      if (endp) e = static_cast<size_t>(static_cast<const unsigned char*>(endp) - c);
    }
    if (b == kNewline) {
      *out += line + "\n";
      line.clear();
    } else if (b == kTitle && e < len) {
      if (!line.empty()) *out += line + "\\\n";
      line.clear();
      std::string t = EscRun(c + i + 1, e - i - 1);
      *out += t.empty() ? "@title\n" : "@title " + t + "\n";
      i = e;
    } else if (b == kLiteral && e < len) {
      line += "`" + EscRun(c + i + 1, e - i - 1) + "`";
      i = e;
    } else if ((b == kLink || b == kLinkAlt) && i + 2 < len) {
      const void* lend = i + 3 < len ? memchr(c + i + 3, kEnd, len - i - 3) : nullptr;
      if (!lend) {
        line += Esc(b, line.empty());
        continue;
      }
      size_t le = static_cast<size_t>(static_cast<const unsigned char*>(lend) - c);
      unsigned value = c[i + 1] << 8 | c[i + 2];
      std::string target = value >= 1 && value <= names.size() ? names[value - 1]
                                                               : "#" + std::to_string(value);
      line += std::string("{") + (b == kLinkAlt ? "^" : "") + target + "|" +
              EscRun(c + i + 3, le - i - 3) + "}";
      i = le;
    } else {
      line += Esc(b, line.empty());
    }
  }
  if (!line.empty()) *out += line + "\\\n";
}

}  // namespace

bool CompileHelp(const std::string& source, std::string* file, std::string* error) {
  Compiler cc;
  cc.error = error;
  std::vector<std::string> lines = SplitLines(source);
  std::vector<std::string> names;
  for (size_t n = 0; n < lines.size(); n++) {
    const std::string& s = lines[n];
    if (!StartsWith(s, "@screen")) continue;
    cc.lineNo = static_cast<int>(n + 1);
    std::string name = s.size() > 8 && s[7] == ' ' ? s.substr(8) : "";
    if (!IsName(name)) return cc.Fail("@screen needs a name of letters, digits, '-' and '_'");
    if (!cc.screens.emplace(name, static_cast<unsigned>(names.size())).second)
      return cc.Fail("screen '" + name + "' defined twice");
    names.push_back(name);
  }
  if (names.empty()) return cc.Fail("no @screen in the source");
  if (names.size() > 0xfffe) return cc.Fail("too many screens");

  std::vector<std::string> contents;
  // Where each line of the current screen begins in its content.
  std::vector<std::pair<size_t, int>> lineStarts;
  auto checkLinks = [&]() {
    if (contents.empty()) return true;
    size_t at = ExtraLink(contents.back());
    if (at == std::string::npos) return true;
    for (const auto& [offset, line] : lineStarts)
      if (offset <= at) cc.lineNo = line;
    return cc.Fail("screen '" + names[contents.size() - 1] + "' has more than " +
                   std::to_string(kMaxLinks) + " links");
  };
  for (size_t n = 0; n < lines.size(); n++) {
    const std::string& s = lines[n];
    cc.lineNo = static_cast<int>(n + 1);
    if (StartsWith(s, "@screen")) {
      if (!checkLinks()) return false;
      contents.emplace_back();
      lineStarts.clear();
      continue;
    }
    if (contents.empty()) return cc.Fail("text before the first @screen");
    lineStarts.emplace_back(contents.back().size(), cc.lineNo);
    if (StartsWith(s, "@title")) {
      if (!cc.Title(s, &contents.back())) return false;
    } else if (StartsWith(s, "@")) {
      return cc.Fail("unknown directive " + s + " (write \\@ for a text '@')");
    } else {
      bool joined;
      if (!cc.TextLine(s, &contents.back(), &joined)) return false;
      if (!joined) contents.back().push_back(static_cast<char>(kNewline));
    }
  }
  if (!checkLinks()) return false;

  std::string f;
  f.push_back(0);
  Put16(&f, static_cast<unsigned>(names.size()));
  size_t offset = 3 + 4 * names.size();
  for (const std::string& c : contents) {
    Put32(&f, static_cast<uint32_t>(offset));
    offset += 7 + c.size();
  }
  for (const std::string& c : contents) {
    f.push_back(0);
    Put16(&f, 0);
    Put32(&f, static_cast<uint32_t>(c.size()));
    f += c;
  }
  f += kNamesMark;
  for (const std::string& n : names) f += n + "\n";
  if (f.size() > kMaxFile) {
    cc.lineNo = static_cast<int>(lines.size());
    return cc.Fail("the help file would be " + std::to_string(f.size()) +
                   " bytes, more than the viewer reads (" + std::to_string(kMaxFile) + ")");
  }
  *file = f;
  return true;
}

bool DecompileHelp(const std::string& f, std::string* source, std::string* error) {
  if (f.size() < 3) {
    *error = "shorter than a help file header";
    return false;
  }
  // The screen table ends where the contents screen's record begins.
  size_t tableEnd = f.size();
  if (f.size() >= 7 && Get32(f, 3) < tableEnd) tableEnd = Get32(f, 3);
  size_t count = tableEnd >= 7 ? (tableEnd - 3) / 4 : 0;
  struct Screen {
    size_t start, len;
  };
  std::vector<Screen> screens;
  size_t end = 3 + 4 * count, total = 0;
  for (size_t n = 0; n < count; n++) {
    size_t off = Get32(f, 3 + 4 * n);
    Screen s{0, 0};
    if (off + 7 <= f.size()) {
      int32_t len = static_cast<int32_t>(Get32(f, off + 3));
      s.start = off + 7;
      s.len = len <= 0 ? 0 : std::min(static_cast<size_t>(len), f.size() - s.start);
      end = std::max(end, s.start + s.len);
    }
    screens.push_back(s);
    // Screens may share their bytes: a small file could then make a
    // source of gigabytes, which no help file can come back from.
    total += s.len;
    if (total > kMaxFile) {
      *error = "its screens hold more than " + std::to_string(kMaxFile) +
               " bytes together, more than a help file can";
      return false;
    }
  }
  std::vector<std::string> names = StoredNames(f, end, count);
  if (names.empty())
    for (size_t n = 0; n < count; n++) names.push_back("screen" + std::to_string(n));
  std::string out;
  const unsigned char* data = reinterpret_cast<const unsigned char*>(f.data());
  for (size_t n = 0; n < count; n++) {
    out += "@screen " + names[n] + "\n";
    DecompileScreen(data + screens[n].start, screens[n].len, names, &out);
  }
  *source = out;
  return true;
}
