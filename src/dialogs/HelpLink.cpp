#include "dialogs/HelpLink.h"

#include "dialogs/TformHelp.h"
#include "platform/AppPaths.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QWindow>

#include <utility>

namespace {

// A plain pointer: the window belongs to the program, not to whichever window asked first.
TformHelp* g_formHelp = nullptr;

struct THelpItem {
  const char* name;
  const char* submenu;  // null: directly in the Help menu
  const char* caption;
  const char* page;
};

constexpr THelpItem kHelpItems[] = {
    {"menuHelpOverview", nullptr, "&Overview", "overview.html"},
    {"menuHelpDisplay", "&Program Setup", "&Display", "preferences/display.html"},
    {"menuHelpCharts", "&Program Setup", "&Charts", "preferences/charts.html"},
    {"menuHelpAlerts", "&Program Setup", "&Email Alerts", "preferences/email.html"},
    {"menuHelpCfgNet", "&Program Setup", "&Network", "preferences/network.html"},
    {"menuHelpNetOver", "Networking", "&Overview", "network/index.html"},
    {"menuHelpMonitors", "Networking", "&Noise Monitors", "network/monitor.html"},
    {"menuHelpFindNew", "Networking", "&Find New Monitors", "network/findnew.html"},
    {"menuHelpFindByIp", "Networking", "&Connect by IP Address", "network/findbyip.html"},
    {"menuHelpFirewalls", "Networking", "Fire&walls", "network/firewalls.html"},
};

QMainWindow* MainWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* main = qobject_cast<QMainWindow*>(w)) return main;
  return nullptr;
}

TformHelp* CreateHelpWindow() {
  auto* form = new TformHelp(qmplatform::ProgramFolder() + QStringLiteral("help/"));
  if (QMainWindow* main = MainWindow())
    form->move(main->frameGeometry().center() - form->rect().center());
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, form, DestroyHelpWindow);
  return form;
}

// A modal dialog blocks every window that is not its own; the help asked for from it must still
// scroll and close, so it becomes the dialog's transient while the dialog is up.
void FollowModalDialog(TformHelp* form) {
  QWidget* modal = QApplication::activeModalWidget();
  QWindow* owner = modal && modal != form ? modal->windowHandle() : nullptr;
  form->winId();  // creates the native window
  QWindow* window = form->windowHandle();
  if (!window || window->transientParent() == owner) return;
  // The blocked state is worked out when a window is shown.
  const bool visible = form->isVisible();
  if (visible) form->hide();
  window->setTransientParent(owner);
  if (visible) form->show();
}

void LoadHelp(const QObject* sender) { ShowHelpPage(HelpMenuPage(sender->objectName())); }

}  // namespace

void ShowHelpPage(const QString& page) {
  if (!g_formHelp) g_formHelp = CreateHelpWindow();
  FollowModalDialog(g_formHelp);
  g_formHelp->ShowHelp(page);
}

TformHelp* HelpWindow() { return g_formHelp; }

void DestroyHelpWindow() { delete std::exchange(g_formHelp, nullptr); }

void AddHelpMenuItems(QMenu* menuHelp) {
  QMenu* submenu = nullptr;
  for (const THelpItem& item : kHelpItems) {
    QMenu* into = menuHelp;
    if (item.submenu) {
      if (!submenu || submenu->title() != QLatin1String(item.submenu))
        submenu = menuHelp->addMenu(QString::fromLatin1(item.submenu));
      into = submenu;
    }
    QAction* action = into->addAction(QString::fromLatin1(item.caption));
    action->setObjectName(QString::fromLatin1(item.name));
    QObject::connect(action, &QAction::triggered, action, [action] { LoadHelp(action); });
  }
}

QString HelpMenuPage(const QString& itemName) {
  for (const THelpItem& item : kHelpItems)
    if (itemName == QLatin1String(item.name)) return QString::fromLatin1(item.page);
  return {};
}
