// The help viewer's menu: the page item, the link bar and the fixed keys.
#include "HelpTty/HelpTty.h"

// Item 0 gets the page text on the first load; until then the menu is
// empty. Item 1 opens the bar of link options, three to a row.
TextMenuItem HelpMenuItems[HELP_MENU_ITEMS] = {
    {nullptr, TM_TEXT, {nullptr}, nullptr, {0}, {0}, nullptr, 0, nullptr, -1, nullptr},
    {"", TM_BAR, {nullptr}, nullptr, {0}, {3}, nullptr, 0, nullptr, -1, nullptr},
};

// Copied behind the links of every screen; the two bars end the row of
// links and leave an empty line before the three keys.
TextMenuItem HelpCommonItems[HELP_COMMON_ITEMS] = {
    {"", TM_BAR, {nullptr}, nullptr, {0}, {3}, nullptr, 0, nullptr, -1, nullptr},
    {"", TM_BAR, {nullptr}, nullptr, {0}, {3}, nullptr, 0, nullptr, -1, nullptr},
    {"~e Exit Help", TM_EXIT, {nullptr}, nullptr, {0}, {0}, nullptr, 0, nullptr, -1, nullptr},
    {"~c Contents", TM_ACTION, {nullptr}, nullptr, {0}, {0}, HelpContent, 0, nullptr, -1,
     nullptr},
    {"~b Back", TM_ACTION, {nullptr}, nullptr, {0}, {0}, HelpBack, 0, nullptr, -1, nullptr},
    {nullptr, 0, {nullptr}, nullptr, {0}, {0}, nullptr, 0, nullptr, -1, nullptr},
};

TextMenu HelpMenu = {
    nullptr, 1,       nullptr, nullptr, nullptr, nullptr, nullptr, HelpMenuItems,
    TMF_NORETURN | TMF_REINIT | TMF_KINDBEFORE, 0,
};
