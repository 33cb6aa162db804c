// HelpTty: the hypertext help viewer. The help file setup.hlp beside the
// program is decoded screen by screen into a page text and the link items
// of HelpMenu, which runs in the ordinary menu loop.
#pragma once

#include "textmenu/textmenu.h"

extern TextMenu HelpMenu;
extern TextMenuItem HelpMenuItems[];
extern TextMenuItem HelpCommonItems[];

void RunHelpMenu(const char* rest);
void MenuHelp();
int HelpContent(TextMenu* menu, TextMenuItem* item);
int HelpBack(TextMenu* menu, TextMenuItem* item);
int HelpPickTopic(TextMenu* menu, TextMenuItem* item);
