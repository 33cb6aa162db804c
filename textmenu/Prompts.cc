// Answer reading, yes/no questions and confirmed messages.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "textmenu/MenuInternal.h"
#include "textmenu/textmenu.h"
#include "utils/utils.h"

void ReadAnswer() {
  CheckInterrupt();
  errno = 0;  // so that an end of input reports no stale error
  // Read byte by byte up to the line end: a NUL typed into the answer
  // (Ctrl-@) ends the answer there, and only a line whose end was not
  // among the bytes that fit is over-long.
  size_t len = 0;
  int c;
  while ((c = getchar()) != EOF && c != '\n') {
    if (len + 1 < sizeof LineBuf) LineBuf[len++] = static_cast<char>(c);
  }
  if (c == EOF) CheckInterrupt();
  if (c == EOF && len == 0) InputEnded();
  LineBuf[len] = '\0';
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
