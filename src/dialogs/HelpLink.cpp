#include "dialogs/HelpLink.h"

#include "platform/AppPaths.h"

#include <QDesktopServices>
#include <QUrl>

// Until the help window exists the page opens in the desktop's browser.
void ShowHelpPage(const QString& page) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(qmplatform::ProgramFolder() + "help/" + page));
}
