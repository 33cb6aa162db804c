// Fuzzes settings-file loading: the input is written to a file and loaded
// into a small menu with a sub-menu that leads back to it, then stored.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "textmenu/textmenu.h"
#include "utils/utils.h"

static char path[] = "/tmp/LoadMenu_fuzz_XXXXXX";
static FILE* sink;

static int Applied(TextMenu*, TextMenuItem*) { return 0; }

static TextMenu top;
static TextMenu sub;
static TextMenu* subs[] = {&sub, &top};

static const TextMenuItem kTopItems[] = {
    {"Mode", TM_CHOICE, {nullptr}, "No,Yes,Maybe", {1}, {0}, nullptr, 0, "N0{1} H2{4} S1{2.7} P*{7}", -1, nullptr},
    {"Name", TM_NAME, {"Name"}, nullptr, {0}, {0}, nullptr, 0, "A(1,8)", -1, nullptr},
    {"Count", TM_INT, {"Count"}, nullptr, {3}, {0}, nullptr, 0, "d(1,99)", -1, nullptr},
    {"Scale", TM_FLOAT, {"Scale"}, nullptr, {0}, {0}, nullptr, 0, nullptr, -1, nullptr},
    {"More", TM_SUBMENU, {nullptr}, nullptr, {0}, {0}, nullptr, 0, "0.0|0.1 !(2.3&0.2)", -1, nullptr},
    {"Text", TM_STRING | TM_HIDDEN, {"Text"}, nullptr, {0}, {0}, nullptr, 0, nullptr, -1, nullptr},
    {"Apply", TM_APPLY, {nullptr}, nullptr, {0}, {0}, Applied, 0, nullptr, -1, nullptr},
    {"Other", TM_CHOICE, {nullptr}, "a, b,c", {0}, {0}, nullptr, 0, "P1{0} N*{5}", -1, nullptr},
    {"Sign", TM_CHOICE, {nullptr}, "a,b", {0}, {0}, nullptr, 0, "N-1{9}", -1, nullptr},
    {"Flag", TM_ACTION, {nullptr}, nullptr, {0}, {0}, nullptr, 0, nullptr, -1, nullptr},
    {nullptr, 0, {nullptr}, nullptr, {0}, {0}, nullptr, 0, nullptr, 0, nullptr},
};
static const TextMenuItem kSubItems[] = {
    {"Level", TM_INT | TM_DISABLED, {"Level"}, nullptr, {0}, {0}, nullptr, 0, nullptr, -1, nullptr},
    {"Label", TM_STRING, {"Label"}, nullptr, {0}, {0}, nullptr, 0, nullptr, -1, nullptr},
    {"Back", TM_SUBMENU, {nullptr}, nullptr, {0}, {0}, nullptr, 0, nullptr, -1, nullptr},
    {"Apply", TM_APPLY, {nullptr}, nullptr, {0}, {0}, Applied, 0, nullptr, -1, nullptr},
    {nullptr, 0, {nullptr}, nullptr, {0}, {0}, nullptr, 0, nullptr, 0, nullptr},
};
static TextMenuItem topItems[sizeof kTopItems / sizeof kTopItems[0]];
static TextMenuItem subItems[sizeof kSubItems / sizeof kSubItems[0]];

static void RemoveTemp() { remove(path); }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  int fd = mkstemp(path);
  if (fd < 0) abort();
  atexit(RemoveTemp);
  close(fd);
  sink = fopen("/dev/null", "w");
  top.pTitle = "Top";
  top.TitleStyle = 1;
  top.pItems = topItems;
  sub.pTitle = "Sub";
  sub.TitleStyle = 1;
  sub.pItems = subItems;
  sub.pParent = &top;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* f = fopen(path, "wb");
  if (!f) abort();
  fwrite(data, 1, size, f);
  fclose(f);

  memcpy(topItems, kTopItems, sizeof topItems);
  memcpy(subItems, kSubItems, sizeof subItems);
  topItems[4].Value.Menus = subs;
  subItems[2].Value.Menu = &top;
  int map[TM_MAP_SIZE];
  InitMenu(&top, map);
  InitMenu(&sub, map);
  // Mode's preset on Count outlives Count's default.
  if (topItems[2].Value.Int != 7) abort();

  if (OpenInputFile(path, 0)) {
    LoadMenu(&top);
    CloseInputFile();
  }
  pOut = sink;
  StoreMenu(&top);
  pOut = nullptr;
  for (int i = 0; topItems[i].pName; i++) {
    ValidateMenu(&top, i);
    ProcessStateFormat(&top, i);
  }
  // Only Sign's format touches Flag, and its list holds -1 alone.
  if (topItems[8].Kind == TM_CHOICE &&
      ((topItems[9].Kind & TM_DISABLED) != 0) != (topItems[8].Value.Int == -1))
    abort();
  FreeMenu(&top);
  FreeMenu(&sub);
  return 0;
}
