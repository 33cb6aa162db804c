// Answer reading, yes/no questions and confirmed messages.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "textmenu/MenuInternal.h"
#include "textmenu/textmenu.h"
#include "utils/utils.h"

void ReadAnswer() {
  errno = 0;  // so that an end of input reports no stale error
  if (!fgets(LineBuf, sizeof LineBuf, stdin)) SysError("reading from standard input");
  size_t len = strlen(LineBuf);
  if (len > 0 && LineBuf[len - 1] == '\n') {
    LineBuf[len - 1] = '\0';
    return;
  }
  // Over-long line: drop the rest so that it does not become the next answer.
  int c;
  while ((c = getchar()) != EOF && c != '\n') {
  }
}

int PromptYN(const char* fmt, ...) {
  char question[4096];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(question, sizeof question, fmt, ap);
  va_end(ap);
  for (;;) {
    printf("%s? [y/n] ", question);
    fflush(stdout);
    ReadAnswer();
    if (LineBuf[0] == 'y') return 1;
    if (LineBuf[0] == 'n') return 0;
  }
}

void PostMsg(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  vprintf(fmt, ap);
  va_end(ap);
  printf("\nPress <Return> to continue ");
  fflush(stdout);
  ReadAnswer();
}
