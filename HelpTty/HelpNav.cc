// Help navigation: opening the viewer, links, Back and Contents.
#include <cstdio>

#include "HelpTty/HelpTty.h"

uint16_t History[HELP_HISTORY_SIZE];
uint16_t HistoryI;

// Set once any screen was loaded in this run: until then the help menu has
// no items, not even its way out, so it is not run.
static uint8_t flHelpLoaded;

void RunHelpMenu(const char* /*rest*/) {
  MenuHelp();
  if (!flHelpLoaded) return;
  RunMenu(&HelpMenu, nullptr, 1);
}

void MenuHelp() {
  char path[256];
  int n = snprintf(path, sizeof path, "%s/%s", pToolPath ? pToolPath : ".", pHelpFile);
  // A cut path could name another file.
  if (n < 0 || static_cast<size_t>(n) >= sizeof path || !LoadHelpFile(path)) {
    PostMsg("ERROR: couldn't open %s", path);
    return;
  }
  DataI = 0;
  GetJumpRec(&DataI);
  HistoryI = 0;
  History[0] = 0;
  HelpContent(nullptr, nullptr);
}

int HelpContent(TextMenu* /*menu*/, TextMenuItem* /*item*/) {
  HistoryI = 0;
  LoadDisplay();
  flHelpLoaded = 1;
  return 1;
}

int HelpBack(TextMenu* /*menu*/, TextMenuItem* /*item*/) {
  if (HistoryI > 0) {
    HistoryI--;
    LoadDisplay();
  }
  return 1;
}

int HelpPickTopic(TextMenu* /*menu*/, TextMenuItem* item) {
  intptr_t link = item->Default.Int;
  if (link < 0 || link >= JmpAdrI) return 1;
  uint16_t target = static_cast<uint16_t>(JmpAdr[link] - 1);
  // A link to a screen the file does not have leads nowhere.
  if (!HelpScreenExists(target)) return 1;
  if (HistoryI < HELP_HISTORY_SIZE - 1) {
    HistoryI++;
    History[HistoryI] = target;
    LoadDisplay();
  }
  return 1;
}
