// In-place edits of text files. Each reads the file in pieces of at most
// 510 characters, writes the edited pieces to a work file beside it and
// then lets the work file take the edited file's place.
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "utils/utils.h"

namespace {

constexpr int kPiece = 511;

bool Fits(int n, size_t size) { return n >= 0 && static_cast<size_t>(n) < size; }

// The name with ".ext" unless the extension is empty.
void EditedName(char (&out)[128], const char* name, const char* ext) {
  if (!name) name = "";
  int n = (ext && *ext) ? snprintf(out, sizeof out, "%s.%s", name, ext)
                        : snprintf(out, sizeof out, "%s", name);
  if (!Fits(n, sizeof out)) {  // a cut name would edit some other file
    errno = ENAMETOOLONG;
    SysError("can't open file, %s", out);
  }
}

void WorkName(char (&out)[128], const char* name, const char* ext) {
  int n = snprintf(out, sizeof out, "%s.%sout", name ? name : "", ext ? ext : "");
  if (!Fits(n, sizeof out)) {
    errno = ENAMETOOLONG;
    SysError("can't open file, %s", out);
  }
}

// rm -f edited; mv work edited, names quoted for the shell.
void ReplaceWith(const char* edited, const char* work) {
  std::string rm = "rm -f " + ShellQuote(edited);
  if (system(rm.c_str()) == -1) { /* the result is not looked at */ }
  std::string mv = "mv " + ShellQuote(work) + " " + ShellQuote(edited);
  if (system(mv.c_str()) == -1) { /* the result is not looked at */ }
}

struct Edit {
  char in_name[128];
  char out_name[128];
  FILE* in;
  FILE* out;
  char piece[512];

  Edit(const char* name, const char* ext) {
    EditedName(in_name, name, ext);
    WorkName(out_name, name, ext);
    in = OpenFile(nullptr, in_name, "rt", 2);
    out = OpenFile(nullptr, out_name, "wt", 2);
  }
  bool Next() { return fgets(piece, kPiece, in) != nullptr; }
  void Write(const char* s) { fputs(s, out); }
  void WriteN(const char* s, size_t n) { fwrite(s, 1, n, out); }
  // Write the piece with the first occurrence at p of a text of n
  // characters left out.
  void WriteWithout(const char* p, size_t n) {
    WriteN(piece, static_cast<size_t>(p - piece));
    Write(p + n);
  }
  void Finish() {
    fclose(in);
    fclose(out);
    ReplaceWith(in_name, out_name);
  }
};

int ReadCode(const char* text) {
  int code = -1;  // matches no character
  if (text && sscanf(text, "%i", &code) != 1) code = -1;
  return code;
}

// Start number and offset of numbered insertions; the "%s<digits>" part is
// removed from the insert text.
struct Numbering {
  long counter = 0;
  char* mark = nullptr;  // "%#" in the insert text, or null
  size_t mark_len = 0;
  long offset = 0;

  explicit Numbering(char* insert) {
    if (!insert) return;
    for (char* p = strstr(insert, "%s"); p; p = strstr(p + 1, "%s")) {
      if (isdigit(static_cast<unsigned char>(p[2]))) {
        char* end;
        counter = strtol(p + 2, &end, 10);
        memmove(p, end, strlen(end) + 1);
        break;
      }
    }
    for (char* p = strstr(insert, "%#"); p; p = strstr(p + 1, "%#")) {
      if (isdigit(static_cast<unsigned char>(p[2]))) {
        char* end;
        offset = strtol(p + 2, &end, 10);
        mark = p;
        mark_len = static_cast<size_t>(end - p);
        break;
      }
    }
  }

  void WriteBefore(Edit& e, const char* insert) {
    if (!insert) return;
    if (!mark) {
      e.Write(insert);
    } else if (counter >= offset) {
      e.WriteN(insert, static_cast<size_t>(mark - insert));
      fprintf(e.out, "%05li", counter - offset);
      e.Write(mark + mark_len);
    }
  }
};

}  // namespace

void FileChange(const char* name, const char* ext, const char* search, const char* repl) {
  Edit e(name, ext);
  while (e.Next()) {
    char* p = search ? strstr(e.piece, search) : nullptr;
    if (p) {
      e.WriteN(e.piece, static_cast<size_t>(p - e.piece));
      e.Write(repl ? repl : "");
      e.Write(p + strlen(search));
    } else {
      e.Write(e.piece);
    }
  }
  e.Finish();
}

void FileChangeChar(const char* name, const char* ext, const char* code, const char* repl) {
  int ch = ReadCode(code);
  char seq[128];
  size_t seq_len = 0;
  if (repl) {
    for (const char* p = repl; *p && seq_len < sizeof seq - 1;) {
      int v;
      if (sscanf(p, "%i", &v) == 1) seq[seq_len++] = static_cast<char>(v);
      const char* comma = strchr(p, ',');
      if (!comma) break;
      p = comma + 1;
    }
  }
  Edit e(name, ext);
  while (e.Next()) {
    for (const char* c = e.piece; *c; c++) {
      if (static_cast<unsigned char>(*c) == ch)
        e.WriteN(seq, seq_len);
      else
        fputc(*c, e.out);
    }
  }
  e.Finish();
}

void FileDel(const char* name, const char* ext, int count, const char* text) {
  Edit e(name, ext);
  int seen = 0;
  while (e.Next()) {
    char* p = text ? strstr(e.piece, text) : nullptr;
    if (p && seen++ >= count)
      e.WriteWithout(p, strlen(text));
    else
      e.Write(e.piece);
  }
  e.Finish();
}

int FileDelFormat(const char* name, const char* ext, const char* mode, const char* text) {
  char m = mode ? mode[0] : '\0';
  if (!strchr("abcl", m)) return 1;  // strchr finds the terminator for ""
  int ch = m == 'c' ? ReadCode(text) : -1;
  Edit e(name, ext);
  while (e.Next()) {
    if (m == 'c') {
      for (const char* c = e.piece; *c; c++)
        if (static_cast<unsigned char>(*c) != ch) fputc(*c, e.out);
      continue;
    }
    char* p = text ? strstr(e.piece, text) : nullptr;
    if (!p) {
      e.Write(e.piece);
      continue;
    }
    size_t n = strlen(text);
    switch (m) {
      case '\0': e.WriteWithout(p, n); break;
      case 'a':
        e.WriteN(e.piece, static_cast<size_t>(p - e.piece) + n);
        e.Write("\n");
        break;
      case 'b': e.Write(p); break;
      default: break;  // 'l': the piece is dropped
    }
  }
  e.Finish();
  return 0;
}

void FileInsert(const char* name, const char* ext, char* insert) {
  Numbering num(insert);
  Edit e(name, ext);
  while (e.Next()) {
    num.WriteBefore(e, insert);
    e.Write(e.piece);
    num.counter++;
  }
  e.Finish();
}

void FileSearchInsert(const char* name, const char* ext, char* insert, const char* search) {
  Numbering num(insert);
  Edit e(name, ext);
  while (e.Next()) {
    if (search && strstr(e.piece, search)) {
      num.WriteBefore(e, insert);
      num.counter++;
    }
    e.Write(e.piece);
  }
  e.Finish();
}

void FileDelLine(const char* name, const char* ext, int count, const char* text) {
  Edit e(name, ext);
  int seen = 0;
  while (e.Next()) {
    bool has = text && strstr(e.piece, text);
    if (!has || seen++ < count) e.Write(e.piece);
  }
  e.Finish();
}

void FileDelLinePair(const char* name, const char* ext, int count, const char* first,
                     const char* second) {
  Edit e(name, ext);
  int seen = 0;
  uint8_t pending = 0;
  while (e.Next()) {
    if (first && strstr(e.piece, first)) {
      if (seen++ < count) {
        e.Write(e.piece);
      } else {
        pending++;
      }
    } else if (pending && second && strstr(e.piece, second)) {
      pending--;
    } else {
      e.Write(e.piece);
    }
  }
  e.Finish();
}

void OpenIOFiles(const char* name, const char* ext) {
  EditedName(Fn, name, ext);
  pIn = OpenFile(pIn, Fn, "rt", 2);
  int n = snprintf(FnOut, sizeof FnOut, "%sout", Fn);
  if (!Fits(n, sizeof FnOut)) {
    errno = ENAMETOOLONG;
    SysError("can't open file, %s", FnOut);
  }
  pOut = OpenFile(pOut, FnOut, "wt", 2);
}

void ReplaceInputFile() {
  if (pIn) fclose(pIn);
  if (pOut) fclose(pOut);
  pIn = nullptr;
  pOut = nullptr;
  ReplaceWith(Fn, FnOut);
}
