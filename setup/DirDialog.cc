// The directory dialogue shared by the driver installation and the site
// creation: it leaves the chosen directory in Name.
#include <cstdio>
#include <cstring>
#include <string>

#include "setup/Scripts.h"
#include "setup/setup.h"
#include "textmenu/textmenu.h"
#include "utils/utils.h"

#define FULL_PATH_MSG "This entry must be a full path to the installation directory"

// The driver directory's base as the start script of an earlier
// installation records it: the text from the first '/' of its "/TavrinD"
// line up to the "/Zanto" behind it. Empty when there is none.
// The start script names the driver directory as one shell word; a
// directory that is not a plain word stands there in single quotes.
static std::string Unquote(const char* word) {
  std::string out;
  for (;;) {
    if (*word == '\'') {
      const char* close = std::strchr(word + 1, '\'');
      if (!close) break;
      out.append(word + 1, close);
      word = close + 1;
    } else if (word[0] == '\\' && word[1] == '\'') {
      out += '\'';
      word += 2;
    } else {
      break;
    }
  }
  return out + word;
}

static void FindEarlierDir() {
  Name[0] = '\0';
  const char* line = FileSearch(START_SCRIPT, "/TavrinD", 0);
  if (!line) return;
  const char* slash = std::strchr(line, '/');
  if (!slash) return;
  const std::string text = slash > line && slash[-1] == '\'' ? Unquote(slash - 1) : slash;
  size_t len = text.find("/Zanto");
  if (len == std::string::npos || len >= sizeof Name) return;
  std::memcpy(Name, text.data(), len);
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
    // A CR typed behind a path is no part of it; a lone CR is an answer,
    // just not a full path. Refused entries leave Name as it was; a longer
    // one is never cut.
    if (LineBuf[0] == '/') LineBuf[std::strcspn(LineBuf, "\r")] = '\0';
    if (LineBuf[0] != '/' || std::strlen(LineBuf) >= sizeof Name) {
      PostMsg(FULL_PATH_MSG);
      continue;
    }
    std::strcpy(Name, LineBuf);
  }
}
