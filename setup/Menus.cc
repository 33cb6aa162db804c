// The installer's menus as static tables for the menu engine. Fields not
// given are null or zero.
#include "setup/setup.h"

// clang-format off
// Name, kind and handler of one item.
#define ITEM(name, kind, handler) \
  {name, kind, {}, nullptr, {}, {}, handler, 0, nullptr, 0, nullptr}

TextMenuItem MainMenuItems[] = {
    ITEM("Install Driver and Utilities", TM_ACTION, Install),
    ITEM("Create an installation site.", TM_ACTION, GenInstallSite),
    ITEM("Create installation diskettes.", TM_ACTION, GenInstallDisks),
    ITEM("~e Exit", TM_EXIT, nullptr),
    ITEM("", TM_TEXT, nullptr),
    ITEM(nullptr, 0, nullptr),
};

TextMenu MainMenu = {
    "Install Print Driver and Utilities", 1, nullptr, nullptr, nullptr, nullptr, nullptr,
    MainMenuItems, TMF_NORETURN | TMF_HELP, 0,
};

TextMenuItem InstallMenuItems[] = {
    ITEM("Install from diskette.", TM_EXIT, InstallFromDiskette),
    ITEM("Install from installation site.", TM_EXIT, InstallFromSite),
    ITEM("~e Exit", TM_EXIT, nullptr),
    ITEM("", TM_TEXT, nullptr),
    ITEM(nullptr, 0, nullptr),
};

TextMenu InstallMenu = {
    "Install From Menu", 1, nullptr, nullptr, nullptr, nullptr, nullptr,
    InstallMenuItems, TMF_NORETURN | TMF_HELP, 0,
};
// clang-format on
