// hlpc: compiles help source into the installer's help file, and turns a
// help file back into help source.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/hlpc/HelpSource.h"

static const char kUsage[] =
    "usage: hlpc SOURCE HELPFILE     compile help source into a help file\n"
    "       hlpc -d HELPFILE SOURCE  turn a help file back into help source\n"
    "       hlpc -h | --help         this text\n"
    "A file name of - is standard input or output. Exit status: 0 done,\n"
    "1 a file that cannot be read or written, or source that does not compile,\n"
    "2 usage error. The source format: man 1 hlpc.\n";

static bool ReadAll(const char* path, std::string* out) {
  FILE* f = strcmp(path, "-") == 0 ? stdin : fopen(path, "rb");
  if (!f) return false;
  char buf[8192];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out->append(buf, n);
  bool ok = !ferror(f);
  if (f != stdin) fclose(f);
  return ok;
}

static bool WriteAll(const char* path, const std::string& data) {
  FILE* f = strcmp(path, "-") == 0 ? stdout : fopen(path, "wb");
  if (!f) return false;
  bool ok = fwrite(data.data(), 1, data.size(), f) == data.size();
  ok = (f == stdout ? fflush(f) : fclose(f)) == 0 && ok;
  return ok;
}

int main(int argc, char** argv) {
  if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0))
    return fputs(kUsage, stdout) >= 0 && fflush(stdout) == 0 ? 0 : 1;
  bool decompile = argc == 4 && strcmp(argv[1], "-d") == 0;
  if (argc != 3 && !decompile) {
    fputs(kUsage, stderr);
    return 2;
  }
  const char* in = argv[argc - 2];
  const char* out = argv[argc - 1];
  std::string input, output, error;
  if (!ReadAll(in, &input)) {
    fprintf(stderr, "hlpc: cannot read %s\n", in);
    return 1;
  }
  bool ok = decompile ? DecompileHelp(input, &output, &error)
                      : CompileHelp(input, &output, &error);
  if (!ok) {
    fprintf(stderr, "hlpc: %s: %s\n", in, error.c_str());
    return 1;
  }
  if (!WriteAll(out, output)) {
    fprintf(stderr, "hlpc: cannot write %s\n", out);
    if (strcmp(out, "-") != 0) remove(out);
    return 1;
  }
  return 0;
}
