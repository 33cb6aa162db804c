// The directory dialogue shared by the driver installation and the site
// creation: it leaves the chosen directory in Name.
#include <cstdio>
#include <cstring>

#include "setup/Scripts.h"
#include "setup/setup.h"
#include "textmenu/textmenu.h"
#include "utils/utils.h"

#define FULL_PATH_MSG "This entry must be a full path to the installation directory"

// One answer line into LineBuf without its line end. The rest of a line
// longer than the buffer is dropped, so it cannot answer the next prompt.
static void ReadAnswer() {
  if (!std::fgets(LineBuf, sizeof LineBuf, stdin)) SysError("reading from standard input");
  size_t len = std::strlen(LineBuf);
  if (len > 0 && LineBuf[len - 1] != '\n' && !std::feof(stdin)) {
    int c;
    while ((c = std::getchar()) != EOF && c != '\n') {
    }
  }
  LineBuf[std::strcspn(LineBuf, "\r\n")] = '\0';
}

// The driver directory's base as the start script of an earlier
// installation records it: the text from the first '/' of its "/TavrinD"
// line up to the "/Zanto" behind it. Empty when there is none.
static void FindEarlierDir() {
  Name[0] = '\0';
  const char* line = FileSearch(START_SCRIPT, "/TavrinD", 0);
  if (!line) return;
  const char* start = std::strchr(line, '/');
  if (!start) return;
  const char* end = std::strstr(start, "/Zanto");
  if (!end) return;
  size_t len = static_cast<size_t>(end - start);
  if (len >= sizeof Name) return;
  std::memcpy(Name, start, len);
  Name[len] = '\0';
}

int GetDirName(const char* const* info, const char* defaultDir, bool lookForEarlier) {
  Name[0] = '\0';
  if (lookForEarlier) {
    FindEarlierDir();
    if (Name[0]) {
      std::printf("\nExisting installation directory [%s]\n ", Name);
      if (PromptYN("Do you want to use %s", Name)) return 1;
      std::printf(
          "\nWarning defining another installation directory will invalidate any defined "
          "print queues [%s]\n ",
          Name);
      if (PromptYN("Do you want to use %s", Name)) return 1;
    }
  }
  if (!Name[0]) std::snprintf(Name, sizeof Name, "%s", defaultDir);

  std::printf("\n");
  for (; *info; ++info) std::printf("%s\n", *info);
  for (;;) {
    std::printf("\nPress <Return> or enter the new installation directory [%s]: ", Name);
    std::fflush(stdout);
    ReadAnswer();
    if (!LineBuf[0]) return PromptYN("Do you want to use %s", Name);
    // Refused entries leave Name as it was; a longer one is never cut.
    if (LineBuf[0] != '/' || std::strlen(LineBuf) >= sizeof Name) {
      PostMsg(FULL_PATH_MSG);
      continue;
    }
    std::strcpy(Name, LineBuf);
  }
}
