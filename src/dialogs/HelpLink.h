#pragma once

#include <QString>

class QMenu;
class TformHelp;

// Opens the program's help viewer at a page below help/ (for example "network/findnew.html").
// Any window or dialog may call it; the viewer outlives the caller.
void ShowHelpPage(const QString& page);

// The program's help window; null until help was first asked for.
TformHelp* HelpWindow();
// Destroys the help window; done when the program ends.
void DestroyHelpWindow();

// Adds the Help menu's page items ("&Overview", the "&Program Setup" and "Networking" submenus),
// each opening its page.
void AddHelpMenuItems(QMenu* menuHelp);

// The page of a Help menu item, by the item's object name; empty for other names.
QString HelpMenuPage(const QString& itemName);
