// Fuzzes the help viewer's loader: any bytes taken as a help file must
// decode, screen by screen and link by link, inside the viewer's buffers.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "HelpTty/HelpTty.h"

namespace {

void Check(bool ok) {
  if (!ok) abort();
}

// The menu the loader built: the page, the links, the keys, the end.
void CheckScreen() {
  Check(HelpMenu.pTitle != nullptr);
  Check(memchr(HelpPageBuf, 0, sizeof HelpPageBuf) != nullptr);
  Check(HelpMenuItems[0].pName == HelpPageBuf);
  Check(JmpAdrI <= HELP_MAX_LINKS);
  int keys = JmpAdrI ? 2 + JmpAdrI : 1;
  for (int i = 2; i < 2 + JmpAdrI; i++) {
    const char* name = HelpMenuItems[i].pName;
    Check(name >= HelpStrBuf && name < HelpStrBuf + sizeof HelpStrBuf);
    Check(memchr(name, 0, static_cast<size_t>(HelpStrBuf + sizeof HelpStrBuf - name)));
    Check(HelpMenuItems[i].Kind == TM_ACTION && HelpMenuItems[i].Default.Int == i - 2);
  }
  Check(keys + HELP_COMMON_ITEMS <= HELP_MENU_ITEMS);
  Check(memcmp(&HelpMenuItems[keys], HelpCommonItems, sizeof HelpCommonItems) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!SetHelpData(data, size)) return 0;
  uint32_t pos = 0;
  GetJumpRec(&pos);
  // The screens of the table and, for the first few, a few of their
  // links and Back again (bounded: each load may scan 64 KiB).
  for (unsigned s = 0; s < 32 && HelpScreenExists(s); s++) {
    HistoryI = 0;
    History[0] = static_cast<uint16_t>(s);
    LoadDisplay();
    CheckScreen();
    int links = s < 4 ? (JmpAdrI < 4 ? JmpAdrI : 4) : 0;
    for (int l = 0; l < links; l++) {
      History[0] = static_cast<uint16_t>(s);
      HistoryI = 0;
      LoadDisplay();
      HelpPickTopic(&HelpMenu, &HelpMenuItems[2 + l]);
      Check(HistoryI <= 1);
      CheckScreen();
      HelpBack(&HelpMenu, &HelpMenuItems[0]);
      Check(HistoryI == 0);
      CheckScreen();
    }
  }
  return 0;
}
