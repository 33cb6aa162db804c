// Checking typed entries against entry descriptors, and name checks.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "textmenu/MenuInternal.h"
#include "textmenu/textmenu.h"
#include "utils/utils.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

long long Clamp32(long long v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return v;
}

// A whole number read the way sscanf reads "%d" or "%x"; 0 when there is
// none. Out-of-range numbers are clamped instead of wrapping.
long long ScanInt(const char* p, int base) {
  const char* s = p;
  while (IsSpace(*s)) s++;
  if (*s == '+' || *s == '-') s++;
  if (!(base == 16 ? IsHexDigit(*s) : IsDigit(*s))) return 0;
  return Clamp32(strtoll(p, nullptr, base));
}

float ScanFloat(const char* p) { return strtof(p, nullptr); }

// Bounds "min,max)" as sscanf "%d,%d)" reads them: what is missing stays 0.
void ScanIntBounds(const char* p, long long* min, long long* max) {
  *min = *max = 0;
  char* end;
  const char* s = p;
  while (IsSpace(*s)) s++;
  if (*s == '+' || *s == '-') s++;
  if (!IsDigit(*s)) return;
  *min = Clamp32(strtoll(p, &end, 10));
  if (*end != ',') return;
  *max = ScanInt(end + 1, 10);
}

void ScanFloatBounds(const char* p, float* min, float* max) {
  *min = *max = 0;
  char* end;
  float v = strtof(p, &end);
  if (end == p) return;
  *min = v;
  if (*end != ',') return;
  *max = ScanFloat(end + 1);
}

// Whole-number form of a float bound for the range message.
int FloatToInt(float f) {
  if (std::isnan(f)) return 0;
  if (f >= 2147483647.0f) return INT32_MAX;
  if (f <= -2147483648.0f) return INT32_MIN;
  return static_cast<int>(f);
}

// Where the bounds of the element at d begin and where the descriptor
// goes on after them.
const char* BoundsStart(const char* d) { return d[1] ? d + 2 : d + 1; }
const char* AfterBounds(const char* d) {
  const char* close = strchr(d, ')');
  return close ? close + 1 : d + strlen(d);
}

// Texts that entries consume, as long as the line buffer.
char consumed[sizeof LineBuf];

// The message of a failed alternative, shown only when no other
// alternative is left to try.
struct Failure {
  enum Kind { kLength, kLettersDigits, kLetters, kLiteral } kind;
  int min, max;
  char ch, expected;
  std::string extras;
};

void ReportFailure(const Failure& f) {
  switch (f.kind) {
    case Failure::kLength:
      PostMsg("This text length must be from %i to %i characters long.", f.min, f.max);
      break;
    case Failure::kLettersDigits:
      PostMsg("Invalid character '%c'\nThis text may contain \"abc..zABC..Z012..9%s\"", f.ch, f.extras.c_str());
      break;
    case Failure::kLetters:
      PostMsg("Invalid character '%c'\nThis text may contain \"abc..zABC..Z%s\"", f.ch, f.extras.c_str());
      break;
    case Failure::kLiteral:
      PostMsg("Invalid character %c\n%c was expected after \"%s\"", f.ch, f.expected, consumed);
      break;
  }
}

}  // namespace

int ValidateEntry(const char* entry, const char* rule) {
  if (!rule) return 0;
  const long long entryLen = static_cast<long long>(strlen(entry));
  const char* d = rule;
  for (;;) {
    // A new alternative starts at the beginning of the entry.
    const char* in = entry;
    size_t used = 0;
    consumed[0] = '\0';
    int code = 0;
    Failure f{};
    while (code == 0) {
      char c = *d;
      if (c == '\0' || c == '|') return 0;
      switch (c) {
        case 'd':
        case 'x': {
          const int base = c == 'd' ? 10 : 16;
          long long v = ScanInt(in, base);
          while (base == 10 ? IsDigit(*in) : IsHexDigit(*in)) in++;
          if (*in) in++;
          long long min, max;
          ScanIntBounds(BoundsStart(d), &min, &max);
          d = AfterBounds(d);
          if (max != 0 && (v < min || v > max)) {
            if (base == 10)
              PostMsg("This number must be between %i to %i.", static_cast<int>(min), static_cast<int>(max));
            else
              PostMsg("This number must be between %x to %x.", static_cast<unsigned>(min), static_cast<unsigned>(max));
            return 1;
          }
          if (strchr(d, '|')) return 0;
          break;
        }
        case 'f': {
          for (const char* p = in; *p; p++) {
            if (!IsDigit(*p) && *p != '.') {
              PostMsg("Invalid character '%c'\nThis text may contain \"0123456789.\"", *p);
              return 3;
            }
          }
          float v = *in ? ScanFloat(in) : 0.0f;
          while (IsDigit(*in) || *in == '.') in++;
          if (*in) in++;
          float min, max;
          ScanFloatBounds(BoundsStart(d), &min, &max);
          d = AfterBounds(d);
          if (max != 0 && (v < min || v > max)) {
            PostMsg("This number must be between %i to %i.", FloatToInt(min), FloatToInt(max));
            return 1;
          }
          if (strchr(d, '|')) return 0;
          break;
        }
        case 't': {
          long long min, max;
          ScanIntBounds(BoundsStart(d), &min, &max);
          d = AfterBounds(d);
          if (max != 0 && (entryLen < min || entryLen > max)) {
            f = {Failure::kLength, static_cast<int>(min), static_cast<int>(max), 0, 0, {}};
            code = 2;
          }
          break;
        }
        case 'A':
        case 'a': {
          const bool digits = c == 'A';
          long long min, max;
          ScanIntBounds(BoundsStart(d), &min, &max);
          d = AfterBounds(d);
          std::string extras;
          while (*d == '+' && d[1]) {
            extras += d[1];
            d += 2;
          }
          for (; *in; in++) {
            bool ok = IsLetter(*in) || (digits && IsDigit(*in)) || extras.find(*in) != std::string::npos;
            if (!ok) {
              f = {digits ? Failure::kLettersDigits : Failure::kLetters, 0, 0, *in, 0, extras};
              code = 3;
              break;
            }
            if (used + 1 < sizeof consumed) {
              consumed[used++] = *in;
              consumed[used] = '\0';
            }
          }
          if (code == 0 && max != 0 && (entryLen < min || entryLen > max)) {
            f = {Failure::kLength, static_cast<int>(min), static_cast<int>(max), 0, 0, {}};
            code = 2;
          }
          break;
        }
        case '!': {
          const char* text = d[1] ? GetToken(d + 2, ")") : nullptr;
          if (strcmp(entry, textmenu::Txt(text)) == 0) {
            PostMsg("Invalid entry \"%s\"", entry);
            return 4;
          }
          return 0;
        }
        default:
          if (*in == c) {
            if (used + 1 < sizeof consumed) {
              consumed[used++] = c;
              consumed[used] = '\0';
            }
            in++;
            d++;
          } else {
            f = {Failure::kLiteral, 0, 0, *in, c, {}};
            code = 3;
          }
          break;
      }
    }
    // This alternative failed: try the next one without a message.
    const char* bar = strchr(d, '|');
    if (bar) {
      d = bar + 1;
      continue;
    }
    ReportFailure(f);
    return code;
  }
}

int TestName(const char* text) {
  for (const char* p = text; *p; p++) {
    if (!IsLetter(*p) && !IsDigit(*p) && *p != '_' && *p != '-') {
      printf("\n'%c' is not a valid name character. \nOnly alphanumeric character, '-', and '_' are valid: \n", *p);
      printf("Press <Return> to continue");
      fflush(stdout);
      ReadAnswer();
      return 0;
    }
  }
  return 1;
}
