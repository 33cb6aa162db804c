// Script texts of the driver installation, kept as data so that each one
// is written exactly as it stands here.
#include "setup/Scripts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "SysCmd/SysCmd.h"
#include "setup/setup.h"
#include "utils/utils.h"

const ScriptPart WrapperText[] = {
    {"#! /usr/bin/sh\n\nTavrinFileSourceDir=`pwd`\nexport TavrinFileSourceDir\ncd %s\n%s/%s $*\n",
     "aaf"},
    {nullptr, nullptr},
};

const ScriptPart InterfaceText[] = {
    {"#! /usr/bin/sh\n\nTavrinPrinterInterface=\"interface\"\nexport \tTavrinPrinterInterface\n",
     ""},
    // The lp service runs an interface program under the queue's name with
    // request id, user, title, copies and options in front of the files.
    {"\nTavrinPrinter=`/usr/bin/basename $0`\nTavrinRequest_id=$1\nTavrinUser_name=$2\n", ""},
    {"TavrinTitle=$3\nTavrinCopies=$4\nTavrinOption_list=$5\n", ""},
    {"export \tTavrinPrinter TavrinRequest_id TavrinUser_name TavrinTitle TavrinCopies "
     "TavrinOption_list\n",
     ""},
    {"\nshift 5\n\ncd %s\n[ -f %s/%s.log ] && rm -f %s/%s.log\n", "aapap"},
    {"\n%s/%s $* > %s/%s.log 2>%s/%s.log\n", "apapap"},
    {"exit 0\n", ""},
    {nullptr, nullptr},
};

const ScriptPart TtyInterfaceText[] = {
    {"#! /usr/bin/sh\n\n", ""},
    {"\nTavrinPrinter=`/usr/bin/basename $0`\nTavrinRequest_id=$1\nTavrinUser_name=$2\n", ""},
    {"TavrinTitle=$3\nTavrinCopies=$4\nTavrinOption_list=$5\n", ""},
    {"export \tTavrinPrinter TavrinRequest_id TavrinUser_name TavrinTitle TavrinCopies "
     "TavrinOption_list\n",
     ""},
    {"\nshift 5\n\ncd %s\n", "a"},
    {"\nif [ -f settings/$TavrinPrinter ]; then \n/usr/bin/tavrin -d$TavrinPrinter "
     "-ssettings/$TavrinPrinter -n $*\n",
     ""},
    {"else\n\t/usr/bin/tavrin -d$TavrinPrinter -n $*\nfi\n", ""},
    {"exit 0\n", ""},
    {nullptr, nullptr},
};

// The line with "/TavrinD" also records the driver directory for the
// next installation's directory dialogue.
const ScriptPart RcScriptText[] = {
    {"case $1 in\n'start')\n\techo \"Starting Zanto Print Demon.\"\n", ""},
    {"\t[ -f %s/TavrinD ] && %s/TavrinD &\n\t;;", "aa"},
    {"\n'stop')\n\techo \"Stoping Zanto Print Demon.\"\n", ""},
    {"\t[ -f %s/TavrinDStop ] && %s/TavrinDStop\n\t;;\nesac\n", "aa"},
    {nullptr, nullptr},
};

int PutScript(FILE* out, const ScriptPart* text, const char* appDir, const char* file) {
  std::string s;
  for (; text->Fmt; ++text) {
    const char* arg = text->Args;
    for (const char* c = text->Fmt; *c; ++c) {
      if (c[0] == '%' && c[1] == 's' && *arg) {
        const char* v = *arg == 'a' ? appDir : *arg == 'p' ? PRINT_PROGRAM : file;
        // Quoted only when not a plain word: a directory with blanks or
        // metacharacters stays one word, a plain one is written as is.
        s += ShellQuote(v ? v : "");
        ++arg;
        ++c;
      } else {
        s += *c;
      }
    }
  }
  return std::fwrite(s.data(), 1, s.size(), out) == s.size();
}

// Opened afresh like OpenFile's "wt", but never through a link: root
// writes these files, some of them where others could have planted one.
static FILE* OpenNoLink(const char* path, int level) {
  if (pOut) std::fclose(pOut);
  pOut = nullptr;
  int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
  FILE* f = fd < 0 ? nullptr : fdopen(fd, "w");
  if (!f) {
    if (fd >= 0) {
      int err = errno;
      close(fd);
      errno = err;  // the report names why fdopen failed
    }
    if (level == 2) SysError("can't open file, %s", path);
    if (level == 1) std::fprintf(stderr, "ERROR: can't open file, %s\n", path);
  }
  return f;
}

int WriteScript(const char* path, int level, const ScriptPart* text, const char* appDir,
                const char* file) {
  pOut = OpenNoLink(path, level);
  if (!pOut) return 0;
  int ok = PutScript(pOut, text, appDir, file);
  if (std::fclose(pOut) != 0) ok = 0;
  pOut = nullptr;
  if (!ok) {
    // A full disk must not pass for a written script.
    if (level == 2) SysError("can't write file, %s", path);
    if (level == 1) std::fprintf(stderr, "ERROR: can't write file, %s\n", path);
  }
  return ok;
}

// The wrapper text up to its driver directory; what follows is that
// directory and the line that runs the file.
static const char kWrapperHead[] =
    "#! /usr/bin/sh\n\nTavrinFileSourceDir=`pwd`\nexport TavrinFileSourceDir\ncd ";

bool IsDriverWrapper(const char* text) {
  if (std::strncmp(text, kWrapperHead, sizeof kWrapperHead - 1) != 0) return false;
  const char* cd = text + sizeof kWrapperHead - 1;
  const char* run = std::strchr(cd, '\n');
  if (!run || run == cd) return false;
  const char* end = std::strchr(++run, '\n');
  return end && end[1] == '\0' && end - run > 3 && std::strncmp(end - 3, " $*", 3) == 0;
}

// A wrapper goes only where no command stands, or over a wrapper that an
// earlier installation of this driver wrote: never over a system command.
static bool MayReplaceWithWrapper(const char* path) {
  struct stat st;
  if (lstat(path, &st) != 0) return errno == ENOENT;
  if (!S_ISREG(st.st_mode) || st.st_size >= 4096) return false;
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  char text[4096];
  ssize_t n = read(fd, text, sizeof text - 1);
  close(fd);
  if (n < 0) return false;
  text[n] = '\0';
  return static_cast<size_t>(n) == std::strlen(text) && IsDriverWrapper(text);
}

void GenSimpleScript(const char* file, const char* wrapper) {
  if (!IsPlainFileName(wrapper)) {
    std::fprintf(stderr, BAD_WRAPPER_MSG, wrapper ? wrapper : "");
    return;
  }
  std::string path = std::string("/usr/bin/") + wrapper;
  if (!MayReplaceWithWrapper(path.c_str())) {
    std::fprintf(stderr, "ERROR: %s exists and is not a wrapper of this driver\n", path.c_str());
    return;
  }
  if (!WriteScript(path.c_str(), 1, WrapperText, AppDir, file)) return;
  SysCmd(CMD_CHMOD, SC_QUIET, "755 /usr/bin/%s", wrapper);
}
