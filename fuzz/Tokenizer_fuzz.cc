// Fuzzes the tokenizer in all its modes against a model of its rules.
// Input: a flags byte (low four bits pick a delimiter set of the program,
// 0 the input's own; high four bits, after which token a nested scan
// runs), a byte whose bits say which calls of a scan are in line mode,
// then delimiters, text and a token list, apart by NULs.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "utils/utils.h"

namespace {

// Sets that callers of this program pass.
const char* const kDelims[] = {
    nullptr, " \t\r\n", ",", " ", ")", "{,.} ", "\n\r", ":", " \n\r", " \t#\r\n", " \t\n", "\\,",
};
const size_t kMaxToken = sizeof GetTokenBuf - 1;

// One call's outcome as the tokenizer's globals show it.
struct Call {
  bool null;
  std::string token;  // GetTokenBuf, also when the call returned null
  char del;
  bool cut;
  size_t scanned;  // szTokenIn as an offset into the text
  bool operator==(const Call&) const = default;
};

// GetToken's rules: a backslash and the character after it are one
// character of the token that never ends it (\n \r \t translated); a lone
// backslash at the end adds nothing; leading delimiters are skipped;
// tokens are cut to 127 characters; in line mode a token ended by a line
// feed gives null and leaves szTokenIn where it was.
struct Model {
  struct Unit {
    char c;
    bool escaped;
    size_t start;
  };
  std::vector<Unit> units;
  size_t end, tail, u = 0, scanned = 0;  // tail: where the units end
  std::string delims;

  Model(const std::string& text, const std::string& d)
      : end(text.size()), tail(text.size()), delims(d) {
    for (size_t i = 0; i < text.size();) {
      if (text[i] != '\\') {
        units.push_back({text[i], false, i});
        i++;
      } else if (i + 1 < text.size()) {
        char c = text[i + 1];
        units.push_back({c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c, true, i});
        i += 2;
      } else {
        tail = i;
        break;
      }
    }
  }
  bool IsDelim(const Unit& x) const { return !x.escaped && delims.find(x.c) != std::string::npos; }

  Call Next(bool lineMode) {
    Call r{false, "", 0, false, scanned};
    bool counted = false, ended = false;
    while (u < units.size()) {
      const Unit& x = units[u++];
      if (IsDelim(x)) {
        r.del = x.c;
        if (!counted) continue;
        if (lineMode && x.c == '\n') {
          r.null = true;
          return r;
        }
        ended = true;
        break;
      }
      counted = true;
      if (r.token.size() < kMaxToken) r.token += x.c;
      else r.cut = true;
    }
    // Running out of units, the scan steps over a lone backslash too.
    scanned = r.scanned = !ended ? end : u < units.size() ? units[u].start : tail;
    r.null = r.token.empty();
    return r;
  }
};

Call Observe(const char* result, const char* text) {
  FUZZ_CHECK(result == nullptr || result == GetTokenBuf);
  size_t len = std::strlen(GetTokenBuf);
  FUZZ_CHECK(len <= kMaxToken);
  FUZZ_CHECK(!flTokenCut || len == kMaxToken);
  return {result == nullptr, GetTokenBuf, chTokenDel, flTokenCut != 0,
          static_cast<size_t>(szTokenIn - text)};
}

// A whole scan in ordinary mode: the tokens, each with its cut flag.
std::vector<Call> Scan(const char* text, const char* delims) {
  std::vector<Call> calls;
  for (const char* t = GetToken(text, delims);; t = GetToken(nullptr, delims)) {
    calls.push_back(Observe(t, text));
    if (!t) return calls;
  }
}

// What GetToken makes of the text GetTokenParse leaves in place.
std::string Unescape(const std::string& raw) {
  std::string out;
  for (size_t i = 0; i < raw.size(); i++) {
    if (raw[i] != '\\') {
      out += raw[i];
    } else if (i + 1 < raw.size()) {
      char c = raw[++i];
      out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    }
  }
  return out;
}

void CheckParse(const std::string& text, const std::string& delims, uint8_t lineMask,
                const std::vector<Call>& plain) {
  std::vector<char> buf(text.begin(), text.end());
  buf.push_back('\0');
  std::vector<char> want = buf;
  char* base = buf.data();
  size_t p = 0, scanned = 0;
  std::vector<std::string> tokens;
  for (unsigned k = 0; k <= text.size() + 1; k++) {
    bool lineMode = k > 0 && (lineMask >> (k % 8) & 1);
    char* got = GetTokenParse(k == 0 ? base : lineMode ? const_cast<char*>(TOKEN_LINE_MODE) : nullptr,
                              delims.c_str());
    // The same call on the model: escapes are kept, a lone backslash at
    // the end counts, every consumed delimiter becomes a NUL.
    size_t start = p;
    bool counted = false, lineEnd = false;
    char del = 0;
    while (p < text.size()) {
      char c = text[p];
      if (c == '\\') {
        p += p + 1 < text.size() ? 2 : 1;
        counted = true;
      } else if (delims.find(c) != std::string::npos) {
        want[p++] = '\0';
        del = c;
        if (!counted) {
          start = p;
          continue;
        }
        lineEnd = lineMode && c == '\n';
        break;
      } else {
        p++;
        counted = true;
      }
    }
    if (!lineEnd) scanned = p;
    FUZZ_CHECK(chTokenDel == del);
    FUZZ_CHECK(static_cast<size_t>(szTokenIn - base) == scanned);
    if (lineEnd || start >= text.size()) {
      FUZZ_CHECK(got == nullptr);
    } else {
      FUZZ_CHECK(got == base + start);
      if (!lineMode) tokens.push_back(got);
    }
    if (p >= text.size() && !got) break;
  }
  FUZZ_CHECK(buf == want);
  // Without line mode, the copying scan gives the same tokens unescaped
  // (a token of a lone backslash gives none).
  if (lineMask == 0) {
    size_t n = 0;
    for (const std::string& raw : tokens) {
      std::string t = Unescape(raw);
      if (t.empty()) continue;
      FUZZ_CHECK(n < plain.size() && !plain[n].null);
      FUZZ_CHECK(plain[n].token == t.substr(0, kMaxToken));
      FUZZ_CHECK(plain[n].cut == (t.size() > kMaxToken));
      n++;
    }
    FUZZ_CHECK(n + 1 == plain.size());
  }
}

// FindToken's rule: the first place where separator, token, separator
// stand in the list, counted in separators.
int FindModel(const std::string& token, const std::string& list) {
  if (list.empty() || token.size() > 509) return 0;
  const char sep = list[0];
  const std::string framed = sep + token + sep;
  int seps = 0;
  for (size_t i = 0; i < list.size(); i++) {
    if (list[i] != sep) continue;
    seps++;
    if (list.compare(i, framed.size(), framed) == 0) return seps;
  }
  return 0;
}

void CheckFind(const std::string& token, const std::string& list) {
  int got = FindToken(token.c_str(), list.c_str());
  FUZZ_CHECK(got == FindModel(token, list));
  if (list.empty() || token.find(list[0]) != std::string::npos) return;
  // A token free of the separator is found at the first field it equals.
  const char sep = list[0];
  int field = 0;
  for (size_t i = 0; i < list.size(); i++) {
    if (list[i] != sep) continue;
    size_t next = list.find(sep, i + 1);
    if (next == std::string::npos) break;
    field++;
    if (list.compare(i + 1, next - i - 1, token) == 0) {
      FUZZ_CHECK(got == (token.size() <= 509 ? field : 0));
      return;
    }
  }
  FUZZ_CHECK(got == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t flags = data[0], lineMask = data[1];
  const std::string rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  std::string part[3];
  for (size_t i = 0, k = 0; k < 3 && i <= rest.size(); k++) {
    size_t e = std::min(rest.find('\0', i), rest.size());
    part[k] = rest.substr(i, e - i);
    i = e + 1;
  }
  const size_t pick = flags & 15;
  const std::string delims = pick == 0 || pick >= std::size(kDelims) ? part[0] : kDelims[pick];
  const std::string& text = part[1];
  const std::string& list = part[2];
  const char* t = text.c_str();
  const char* d = delims.c_str();

  // The scan with its calls in and out of line mode, call by call.
  Model model(text, delims);
  for (unsigned k = 0; k <= text.size() + 1; k++) {
    bool lineMode = k > 0 && (lineMask >> (k % 8) & 1);
    char* got = GetToken(k == 0 ? t : lineMode ? TOKEN_LINE_MODE : nullptr, d);
    Call want = model.Next(lineMode);
    FUZZ_CHECK(Observe(got, t) == want);
    if (model.u >= model.units.size() && !got) break;
  }
  FUZZ_CHECK(GetToken(nullptr, d) == nullptr);  // stays ended

  const std::vector<Call> plain = Scan(t, d);
  CheckParse(text, delims, lineMask, plain);

  // The n-th token, and the scan goes on behind it.
  const size_t count = plain.size() - 1;
  for (unsigned n = 0; n <= count + 1 && n < 12; n++) {
    const char* got = GetTokenN(t, d, n);
    if (n == 0 || n > count) {
      FUZZ_CHECK(got == nullptr);
      continue;
    }
    FUZZ_CHECK(got && plain[n - 1].token == got);
    const char* after = GetToken(nullptr, d);
    FUZZ_CHECK(after ? plain[n].token == after : n == count);
  }

  // A nested scan between two tokens, with the outer one saved and put
  // back, changes nothing of the outer one.
  if (count > 0) {
    const size_t at = (flags >> 4) % count;
    std::vector<Call> nested;
    for (const char* tok = GetToken(t, d);; tok = GetToken(nullptr, d)) {
      nested.push_back(Observe(tok, t));
      if (!tok) break;
      if (nested.size() == at + 1) {
        const char* saved = szTokenIn;
        const char savedDel = chTokenDel;
        for (const char* in = GetToken(list.c_str(), ","); in; in = GetToken(nullptr, ",")) {
        }
        SetTokenBuf(saved);
        chTokenDel = savedDel;
      }
    }
    FUZZ_CHECK(nested == plain);
  }

  // A token can be scanned again from GetTokenBuf itself.
  if (count > 0) {
    const std::string copy = plain[0].token;
    std::vector<Call> fromCopy = Scan(copy.c_str(), ",");
    GetToken(t, d);
    std::vector<Call> inPlace;
    for (const char* tok = GetToken(GetTokenBuf, ",");; tok = GetToken(nullptr, ",")) {
      inPlace.push_back({tok == nullptr, GetTokenBuf, chTokenDel, flTokenCut != 0, 0});
      if (!tok) break;
    }
    FUZZ_CHECK(inPlace.size() == fromCopy.size());
    for (size_t i = 0; i < inPlace.size(); i++) {
      inPlace[i].scanned = fromCopy[i].scanned;
      FUZZ_CHECK(inPlace[i] == fromCopy[i]);
    }
  }

  CheckFind(text, list);
  CheckFind(text, ",mode,bat,owner,group,");
  for (size_t i = 0; i < count && i < 8; i++) CheckFind(plain[i].token, list);
  return 0;
}
