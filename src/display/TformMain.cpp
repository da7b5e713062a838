#include "display/TformMain.h"

#include "core/TDTClient.h"
#include "dialogs/DeviceSetup.h"
#include "dialogs/HelpLink.h"
#include "dialogs/TformAbout.h"
#include "dialogs/TformCfg.h"
#include "display/Fonts.h"
#include "display/TFrameClient.h"
#include "display/TformLog.h"
#include "display/WindowArrange.h"
#include "live/TQmAlert.h"
#include "platform/Shell.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScopeGuard>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
const char* const kPeriodNames[6] = {"1 minute",   "5 minutes",  "10 minutes",
                                     "15 minutes", "30 minutes", "1 hour"};

void SetLedColour(QLabel* led, const QColor& colour) {
  led->setStyleSheet(QStringLiteral("border: 1px solid gray; border-radius: 6px; background: %1;")
                         .arg(colour.name()));
}

void SetTextColour(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, colour);
  w->setPalette(p);
}

// Paints every cell of the monitor table: red rows for monitors with alarms, grey text for
// monitors that are not connected, the current row in bold.
class ClientCellPainter : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const QString alarms = index.siblingAtColumn(1).data().toString();
    int count = 0;
    QColor text = Qt::black;
    if (alarms == QLatin1String("-")) {
      text = QColor(128, 128, 128);
    } else {
      bool ok = false;
      count = alarms.toInt(&ok);
      if (!ok) count = 0;
    }
    QFont font = option.font;
    font.setBold(view && view->currentIndex().row() == index.row());
    painter->save();
    painter->setClipRect(option.rect);
    painter->fillRect(option.rect, count > 0 ? QColor(255, 0, 0) : QColor(Qt::white));
    painter->setFont(font);
    painter->setPen(text);
    painter->drawText(option.rect.adjusted(3, 3, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                      index.data().toString());
    painter->restore();
  }
};

bool CaptionLess(const TFrameClient* a, const TFrameClient* b) {
  return a->TitleCaption().compare(b->TitleCaption(), Qt::CaseInsensitive) < 0;
}

}  // namespace

int TformMain::PeriodIndex(int minutes) {
  for (int i = 0; i < 6; ++i)
    if (kPeriods[i] == minutes) return i;
  return -1;
}

TformMain::TformMain(TSupervisor::Options options) {
  setWindowTitle(QStringLiteral("Quietmark Supervisor"));
  setFont(qmfonts::Tahoma(11));
  confirmDelete = [this](const QString& text) {
    return QMessageBox::question(this, windowTitle(), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
  };
  openUrl = [](const QString& url) { return qmplatform::OpenUrl(url); };
  trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };

  // Settings, run-time status and log come first; everything after may log.
  sup_ = std::make_unique<TSupervisor>(this, std::move(options));
  formLog_ = new TformLog(&sup_->Log(), &sup_->Runstat(), this);
  sup_->LogStartup();

  BuildMenus();
  BuildToolbar();
  BuildPanels();
  BuildStatusBar();
  BuildTray();
  resize(690, 469 + menuBar()->sizeHint().height());

  TCfg& cfg = sup_->Cfg();
  panelBtns_->setVisible(cfg.Toolbar());
  menuToolbar_->setChecked(cfg.Toolbar());
  ShowLiveSwitch();
  ShowHistorySwitch();
  comboPeriod_->setCurrentIndex(PeriodIndex(cfg.ReportPeriod()));
  const bool reporter = QFile::exists(cfg.ReporterProg());
  btnReporter_->setVisible(reporter);
  menuReporter_->setEnabled(reporter);
  panelClients_->setVisible(cfg.ClientList());
  menuClients_->setChecked(cfg.ClientList());
  LoadBackground();
  gridClients_->setRowCount(1);
  gridClients_->setItem(0, 0, new QTableWidgetItem(QStringLiteral("No connections")));
  gridClients_->setItem(0, 1, new QTableWidgetItem(QString()));

  sup_->Start();
  started_ = true;
  UpdateClientTable(true);
}

TformMain::~TformMain() { FormDestroy(); }

void TformMain::BuildMenus() {
  QMenu* system = menuBar()->addMenu(QStringLiteral("&System"));
  system->addAction(QStringLiteral("&Preferences..."), this, &TformMain::menuCfgClick);
  QMenu* setup = system->addMenu(QStringLiteral("&Device Setup"));
  setup->addAction(QStringLiteral("&Find New Monitors..."), this,
                   [this] { ShowFindClients(this, sup_->Clients(), sup_->Cfg().Port()); });
  setup->addAction(QStringLiteral("Connect by IP..."), this,
                   [this] { ShowFindByIP(this, sup_->Clients(), sup_->Cfg().Port()); });
  setup->addAction(QStringLiteral("Create Memory Stick..."), this,
                   [this] { ShowNetStick(this, sup_->Cfg().Port()); });
  system->addSeparator();
  system->addAction(QStringLiteral("E&xit"), this, &QWidget::close);

  QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
  menuToolbar_ = view->addAction(QStringLiteral("Toolbar"), this, &TformMain::menuToolbarClick);
  menuToolbar_->setCheckable(true);
  menuClients_ =
      view->addAction(QStringLiteral("&Monitor List"), this, &TformMain::menuClientsClick);
  menuClients_->setCheckable(true);
  view->addSeparator();
  menuLive_ = view->addAction(QStringLiteral("&Live Levels"), this, &TformMain::btnLiveClick);
  menuLive_->setCheckable(true);
  menuHistory_ =
      view->addAction(QStringLiteral("Time &History"), this, &TformMain::btnHistoryClick);
  menuHistory_->setCheckable(true);
  view->addSeparator();
  menuReporter_ = view->addAction(QStringLiteral("Reporter"), this, &TformMain::btnReporterClick);

  QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
  window->addAction(QStringLiteral("&Compact All"), this, &TformMain::menuCompactClick);
  window->addAction(QStringLiteral("&Align Compact Windows"), this,
                    &TformMain::AlignCompactWindows);
  window->addSeparator();
  window->addAction(QStringLiteral("&Expand All"), this, &TformMain::menuExpandAllClick);
  window->addAction(QStringLiteral("Expand && &Tile"), this, &TformMain::TileWindows);
  window->addAction(QStringLiteral("&Match Window Sizes"), this, &TformMain::menuMatchSizeClick);

  menuHelp_ = menuBar()->addMenu(QStringLiteral("&Help"));
  AddHelpMenuItems(menuHelp_);
  menuHelp_->addSeparator();
  menuBHLog_ = menuHelp_->addAction(QStringLiteral("System &Log"), this,
                                    [this] { formLog_->setVisible(!formLog_->isVisible()); });
  menuBHLog_->setVisible(false);
  menuHelp_->addAction(QStringLiteral("&About..."), this, [this] {
    TformAbout about(this);
    about.exec();
  });
  // The log window is reached only with Ctrl held as the menu opens.
  connect(menuHelp_, &QMenu::aboutToShow, this,
          [this] { menuBHLog_->setVisible(qmplatform::CtrlHeld()); });
}

void TformMain::menuCfgClick() {
  LogDebug(QStringLiteral("TFormMain.menuitemSettingsClick()"));
  TCfg& cfg = sup_->Cfg();
  const int port = cfg.Port();
  // The dialog may go with its parent while it runs.
  QPointer<TformCfg> dlg = new TformCfg(
      cfg, sup_->Alert(), sup_->Runstat().sAppDataPath, [this] { LoadBackground(); }, this);
  const auto destroy = qScopeGuard([&] { delete dlg.data(); });
  if (dlg->exec() != QDialog::Accepted || !dlg) return;
  if (cfg.Port() != port) {
    sup_->StopServer();
    sup_->StartServer();
  }
  sup_->Alert().ResetTimer();
}

void TformMain::BuildToolbar() {
  panelBtns_ = new QWidget;
  panelBtns_->setFixedHeight(26);
  auto* row = new QHBoxLayout(panelBtns_);
  row->setContentsMargins(11, 2, 0, 2);
  row->setSpacing(7);
  auto makeToggle = [this](const QString& tip, QStyle::StandardPixmap icon) {
    auto* b = new QToolButton(panelBtns_);
    b->setAutoRaise(true);
    b->setCheckable(true);
    b->setFixedSize(24, 22);
    b->setToolTip(tip);
    b->setIcon(style()->standardIcon(icon));
    return b;
  };
  btnLive_ = makeToggle(QStringLiteral("Live Levels"), QStyle::SP_MediaVolume);
  btnHistory_ = makeToggle(QStringLiteral("Time History"), QStyle::SP_FileDialogDetailedView);
  connect(btnLive_, &QToolButton::clicked, this, &TformMain::btnLiveClick);
  connect(btnHistory_, &QToolButton::clicked, this, &TformMain::btnHistoryClick);
  row->addWidget(btnLive_);
  row->addWidget(btnHistory_);
  row->addSpacing(20);
  row->addWidget(new QLabel(QStringLiteral("Period"), panelBtns_));
  comboPeriod_ = new QComboBox(panelBtns_);
  comboPeriod_->setFixedWidth(99);
  for (const char* name : kPeriodNames) comboPeriod_->addItem(QString::fromLatin1(name));
  connect(comboPeriod_, &QComboBox::activated, this, &TformMain::comboPeriodChange);
  row->addWidget(comboPeriod_);
  row->addStretch();
  btnReporter_ = new QToolButton(panelBtns_);
  btnReporter_->setText(QStringLiteral("Reporter"));
  btnReporter_->setAutoRaise(true);
  btnReporter_->setFixedSize(84, 22);
  btnReporter_->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
  btnReporter_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  connect(btnReporter_, &QToolButton::clicked, this, &TformMain::btnReporterClick);
  row->addWidget(btnReporter_);
  row->addSpacing(13);
  panelBtns_->setStyleSheet(QStringLiteral("border-bottom: 1px solid silver;"));
}

void TformMain::BuildPanels() {
  panelMain_ = new QWidget;
  panelMain_->setObjectName(QStringLiteral("panelMain"));
  panelMain_->installEventFilter(this);
  imgBackground_ = new QLabel(panelMain_);
  imgBackground_->setScaledContents(true);
  imgBackground_->hide();

  panelClients_ = new QWidget;
  panelClients_->setFixedWidth(185);
  gridClients_ = new QTableWidget(1, 2, panelClients_);
  gridClients_->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Alarms")});
  gridClients_->verticalHeader()->hide();
  gridClients_->verticalHeader()->setMinimumSectionSize(18);
  gridClients_->verticalHeader()->setDefaultSectionSize(18);
  gridClients_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  gridClients_->setSelectionBehavior(QAbstractItemView::SelectRows);
  gridClients_->setSelectionMode(QAbstractItemView::SingleSelection);
  gridClients_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  gridClients_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  gridClients_->horizontalHeader()->setSectionsClickable(true);
  gridClients_->horizontalHeader()->setHighlightSections(false);
  gridClients_->setColumnWidth(0, 102);
  gridClients_->setColumnWidth(1, 51);
  gridClients_->setItemDelegate(new ClientCellPainter(gridClients_));
  gridClients_->viewport()->installEventFilter(this);
  connect(gridClients_->horizontalHeader(), &QHeaderView::sectionClicked, this,
          &TformMain::gridClientsFixedCellClick);
  // The bold current row has to be repainted when the current row moves.
  connect(gridClients_, &QTableWidget::currentCellChanged, gridClients_->viewport(),
          qOverload<>(&QWidget::update));
  auto* clientsLayout = new QVBoxLayout(panelClients_);
  clientsLayout->setContentsMargins(0, 0, 0, 0);
  clientsLayout->addWidget(gridClients_);

  popupDeadMonitor_ = new QMenu(this);
  QMenu* info = popupDeadMonitor_->addMenu(QStringLiteral("Info"));
  menuDMType_ = info->addAction(QStringLiteral("Type:"));
  menuDMType_->setEnabled(false);
  menuDMID_ = info->addAction(QStringLiteral("ID:"));
  menuDMID_->setEnabled(false);
  popupDeadMonitor_->addSeparator();
  popupDeadMonitor_->addAction(QStringLiteral("&Delete Monitor"), this,
                               &TformMain::menuDMDeleteClick);

  auto* central = new QWidget;
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(panelBtns_);
  auto* body = new QHBoxLayout;
  body->setSpacing(0);
  body->addWidget(panelMain_, 1);
  body->addWidget(panelClients_);
  column->addLayout(body, 1);
  setCentralWidget(central);
}

void TformMain::BuildStatusBar() {
  auto* ipWatch = new QWidget;
  auto* ipRow = new QHBoxLayout(ipWatch);
  ipRow->setContentsMargins(4, 0, 4, 0);
  shapeOnlineLED_ = new QLabel;
  shapeOnlineLED_->setFixedSize(12, 12);
  SetLedColour(shapeOnlineLED_, Qt::white);
  lblOnlineStatus_ = new QLabel(QStringLiteral("Offline"));
  ipRow->addWidget(shapeOnlineLED_);
  ipRow->addWidget(lblOnlineStatus_);
  statusBar()->addWidget(ipWatch);
  panelStatCnx_ = new QLabel(QStringLiteral("Connections: 0"));
  statusBar()->addWidget(panelStatCnx_, 1);
  panelLogo_ = new QLabel(QStringLiteral("Brackenhall Quietmark"));
  QFont logo(QStringLiteral("Arial Black"));
  logo.setPixelSize(13);
  logo.setBold(true);
  panelLogo_->setFont(logo);
  panelLogo_->setFixedSize(186, 18);
  panelLogo_->setContentsMargins(0, 0, 8, 0);
  panelLogo_->setCursor(Qt::PointingHandCursor);
  SetTextColour(panelLogo_, Qt::black);
  panelLogo_->installEventFilter(this);
  statusBar()->addPermanentWidget(panelLogo_);
  statusBar()->setFixedHeight(24);
  statusBar()->setSizeGripEnabled(false);
}

void TformMain::BuildTray() {
  QIcon icon = QApplication::windowIcon();
  if (icon.isNull()) icon = style()->standardIcon(QStyle::SP_MediaVolume);
  trayicon_ = new QSystemTrayIcon(icon, this);
  trayicon_->setToolTip(QStringLiteral("Quietmark Supervisor"));
  connect(trayicon_, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason) { trayiconClick(); });
  connect(trayicon_, &QSystemTrayIcon::messageClicked, this, &TformMain::trayiconBalloonClick);
}

void TformMain::LoadBackground() {
  LogDebug(QStringLiteral("TFormMain.LoadBackground()"));
  imgBackground_->hide();
  const TRunstat& rs = sup_->Runstat();
  QString path = rs.sAppDataPath + QStringLiteral("quietmarksv.jpg");
  if (!QFile::exists(path)) path = rs.sProgPath + QStringLiteral("quietmarksv.jpg");
  if (!QFile::exists(path)) return;
  QImageReader reader(path);
  const QImage image = reader.read();
  if (image.isNull()) {
    LogMsg(QStringLiteral("Failed to load background picture ") + path + QStringLiteral(": ") +
           reader.errorString());
    return;
  }
  imgBackground_->setPixmap(QPixmap::fromImage(image));
  imgBackground_->setGeometry(panelMain_->rect());
  imgBackground_->lower();
  imgBackground_->show();
}

void TformMain::showEvent(QShowEvent* event) {
  if (!shown_) {
    shown_ = true;
    FormShow();
  }
  QMainWindow::showEvent(event);
}

void TformMain::FormShow() {
  LogDebug(QStringLiteral("TFormMain.FormShow()"));
  TCfg& cfg = sup_->Cfg();
  if (cfg.x() != -1 && cfg.y() != -1) {
    const QScreen* s = screen();
    const QRect work = s ? s->availableGeometry() : QRect();
    move(std::max(cfg.x(), work.left()), std::max(cfg.y(), work.top()));
    resize(cfg.cx(), cfg.cy());
  }
  if (cfg.WinState() == 1)
    setWindowState(Qt::WindowMinimized);
  else if (cfg.WinState() == 2)
    setWindowState(Qt::WindowMaximized);
}

void TformMain::FormHide() {
  if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) return;
  TCfg& cfg = sup_->Cfg();
  cfg.SetX(x());
  cfg.SetY(y());
  cfg.SetCx(width());
  cfg.SetCy(height());
}

void TformMain::closeEvent(QCloseEvent* event) {
  FormHide();
  FormDestroy();
  formLog_->close();
  trayicon_->hide();
  QMainWindow::closeEvent(event);
}

void TformMain::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  sup_->Shutdown();
  if (!(windowState() & Qt::WindowMinimized))
    sup_->Cfg().SetWinState((windowState() & Qt::WindowMaximized) ? 2 : 0);
  sup_->Log().SaveLastRun();
  QApplication::restoreOverrideCursor();
}

bool TformMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == panelMain_ && event->type() == QEvent::Resize) {
    // Every change of the main area's size, whether from the window or the table beside it.
    imgBackground_->setGeometry(panelMain_->rect());
    if (!(windowState() & Qt::WindowMinimized)) RepositionAll();
    for (TFrameClient* f : frames_) f->FollowSight();
  } else if (watched == panelLogo_) {
    if (event->type() == QEvent::Enter) {
      SetTextColour(panelLogo_, QColor(0, 0, 136));
    } else if (event->type() == QEvent::Leave) {
      SetTextColour(panelLogo_, Qt::black);
    } else if (event->type() == QEvent::MouseButtonRelease) {
      panelLogoClick();
      return true;
    }
  } else if (gridClients_ && watched == gridClients_->viewport() &&
             event->type() == QEvent::MouseButtonRelease) {
    const auto* me = static_cast<QMouseEvent*>(event);
    const int row = gridClients_->rowAt(me->position().toPoint().y());
    if (row >= 0) gridClientsMouseUp(me->button(), row, me->globalPosition().toPoint());
  }
  return QMainWindow::eventFilter(watched, event);
}

void TformMain::menuToolbarClick() {
  TCfg& cfg = sup_->Cfg();
  cfg.SetToolbar(!cfg.Toolbar());
  panelBtns_->setVisible(cfg.Toolbar());
  menuToolbar_->setChecked(cfg.Toolbar());
}

void TformMain::menuClientsClick() {
  TCfg& cfg = sup_->Cfg();
  cfg.SetClientList(!cfg.ClientList());
  menuClients_->setChecked(cfg.ClientList());
  panelClients_->setVisible(cfg.ClientList());
  RepositionAll();
  UpdateClientTable(true);
}

void TformMain::btnLiveClick() {
  LogDebug(QStringLiteral("TFormMain.btnLiveClick()"));
  sup_->Cfg().SetRTLive(!sup_->Cfg().RTLive());
  ShowLiveState();
}

void TformMain::btnHistoryClick() {
  LogDebug(QStringLiteral("TFormMain.btnHistoryClick()"));
  sup_->Cfg().SetHistory(!sup_->Cfg().History());
  ShowHistoryState();
}

void TformMain::ShowLiveSwitch() {
  const bool on = sup_->Cfg().RTLive();
  btnLive_->setChecked(on);
  menuLive_->setChecked(on);
}

void TformMain::ShowHistorySwitch() {
  const bool on = sup_->Cfg().History();
  btnHistory_->setChecked(on);
  menuHistory_->setChecked(on);
}

void TformMain::ShowLiveState() {
  ShowLiveSwitch();
  sup_->ChangeClientRates();
}

void TformMain::ShowHistoryState() {
  ShowHistorySwitch();
  sup_->ChangeHistoryRates();
}

void TformMain::comboPeriodChange(int index) {
  LogDebug(QStringLiteral("TFormMain.comboPeriodChange(): ") + QString::number(index));
  if (index < 0 || index >= 6) return;
  sup_->Cfg().SetReportPeriod(kPeriods[index]);
  sup_->ChangeHistoryRates();
}

// Only one reporter at a time: while the one started from here runs, no other is started.
void TformMain::btnReporterClick() {
  if (reporterPid_ > 0 && qmplatform::ProgramRunning(reporterPid_)) {
    LogDebug(QStringLiteral("TFormMain.btnReporterClick(): reporter already running"));
    return;
  }
  const QString prog = sup_->Cfg().ReporterProg();
  reporterPid_ = 0;
  if (!qmplatform::StartProgram(prog, {}, &reporterPid_))
    LogMsg(QStringLiteral("Failed to run reporter: ") + prog);
}

void TformMain::panelLogoClick() {
  if (openUrl) openUrl(QString::fromLatin1(kVendorUrl));
}

// ---- Monitor windows

IMonitorWindow* TformMain::CreateMonitorWindow(TDTClient* client) {
  if (!client) return nullptr;
  LogDebug(QStringLiteral("TDTClient.CreateForm(): ") + client->sID);
  if (client->frame) {
    client->frame->SetTitle(client->sName);
    return client->frame;
  }
  auto* frame = new TFrameClient(panelMain_, sup_->Cfg(), *this);
  frame->setObjectName(QStringLiteral("frameClient") + QString::number(frameCounter_++));
  frame->SetStorage(&sup_->Storage());
  frames_.push_back(frame);
  connect(frame, &TFrameClient::settingsRequested, this, &TformMain::menuitemCfgClick);
  frame->Init();
  frame->Connect(client->ctx, client->sType, client->sID, client->sName, client->sDeviceUID,
                 client->sModules);
  return frame;
}

void TformMain::FreeMonitorWindow(IMonitorWindow* window) {
  auto* frame = dynamic_cast<TFrameClient*>(window);
  if (!frame) return;
  LogDebug(QStringLiteral("TDTClient.DeleteForm(): ") + frame->ID());
  frames_.erase(std::remove(frames_.begin(), frames_.end(), frame), frames_.end());
  // Deleted once control is back in the event loop: the window may be inside one of its own
  // handlers right now (a menu of its own open, a drag under way).
  frame->Detach();
  frame->hide();
  frame->deleteLater();
}

void TformMain::RepositionAll() {
  if (!started_) return;  // no monitor list yet
  TClientList& list = sup_->Clients();
  TClientListHold hold(list);
  for (int i = 0; i < list.Count(); ++i) {
    TDTClient* client = list.GetClient(i);
    if (!client) break;
    LogDebug(QStringLiteral("TDTClient.RepositionForm(): ") + client->sID);
    if (client->frame) client->frame->Reposition();
  }
}

void TformMain::menuCompactClick() {
  for (TFrameClient* f : frames_) f->SetWinState(wsCompact);
}

void TformMain::menuExpandAllClick() {
  for (TFrameClient* f : frames_) f->SetWinState(wsNorm);
}

void TformMain::menuMatchSizeClick() {
  TFrameClient* selected = nullptr;
  for (TFrameClient* f : frames_)
    if (f->Selected()) selected = f;
  if (!selected) return;
  const QSize size = selected->size();
  for (TFrameClient* f : frames_)
    if (f->GetWinState() == wsNorm) f->SetWinSize(size.width(), size.height());
}

void TformMain::AlignCompactWindows() {
  std::vector<TFrameClient*> compact;
  for (TFrameClient* f : frames_)
    if (f->GetWinState() == wsCompact) compact.push_back(f);
  std::stable_sort(compact.begin(), compact.end(), CaptionLess);
  std::vector<QSize> sizes;
  for (const TFrameClient* f : compact) sizes.push_back(f->size());
  const std::vector<QPoint> places = qmarrange::AlignCompact(sizes, panelMain_->height());
  for (std::size_t i = 0; i < compact.size(); ++i)
    compact[i]->SetWinPos(places[i].x(), places[i].y());
}

void TformMain::TileWindows() {
  std::vector<TFrameClient*> all = frames_;
  if (all.empty()) return;
  std::stable_sort(all.begin(), all.end(), CaptionLess);
  const std::vector<QRect> cells = qmarrange::TileCells(int(all.size()), panelMain_->size());
  for (std::size_t i = 0; i < all.size(); ++i) {
    all[i]->SetWinState(wsNorm);
    all[i]->SetWinPos(cells[i].x(), cells[i].y());
    all[i]->SetWinSize(cells[i].width(), cells[i].height());
  }
}

// ---- Monitor table

void TformMain::UpdateClientTable(bool bForce) {
  if (!started_) return;
  TCfg& cfg = sup_->Cfg();
  TClientTable::Settings settings;
  settings.clientList = cfg.ClientList();
  settings.sortBy = cfg.SortBy();
  settings.dataPath = cfg.DataPath();
  settings.cnxCount = [this] { return sup_->CnxCount(); };
  table_.Update(sup_->Clients(), bForce, settings);
  if (settings.clientList && table_.RowsChanged()) ShowClientTable();
  panelStatCnx_->setText(table_.CnxText());
}

void TformMain::ShowClientTable() {
  const auto& rows = table_.Rows();
  if (gridClients_->rowCount() != int(rows.size())) gridClients_->setRowCount(int(rows.size()));
  bool changed = false;
  auto setText = [&](int r, int c, const QString& text) {
    QTableWidgetItem* item = gridClients_->item(r, c);
    if (!item)
      gridClients_->setItem(r, c, new QTableWidgetItem(text));
    else if (item->text() != text)
      item->setText(text);
    else
      return;
    changed = true;
  };
  for (int r = 0; r < int(rows.size()); ++r) {
    setText(r, 0, rows[std::size_t(r)].name);
    setText(r, 1, rows[std::size_t(r)].alarms);
  }
  // A cell's colour depends on its row's alarm cell: a change repaints whole rows.
  if (changed) gridClients_->viewport()->update();
  const bool byName = sup_->Cfg().SortBy() == QLatin1String("name");
  const bool byAlarm = sup_->Cfg().SortBy() == QLatin1String("alarm");
  for (int c = 0; c < 2; ++c) {
    QTableWidgetItem* head = gridClients_->horizontalHeaderItem(c);
    if (!head) continue;
    QFont f = gridClients_->font();
    f.setBold(c == 0 ? byName : byAlarm);
    if (head->font() != f) head->setFont(f);
  }
}

void TformMain::ClientSelected(const TCtx& ctx) {
  if (!started_) return;
  TDTClient* selected = nullptr;
  const IMonitorWindow* kept = nullptr;
  {
    TClientList& list = sup_->Clients();
    TClientListHold hold(list);
    selected = ctx ? list.GetClientFromCtx(ctx) : nullptr;
    if (selected) kept = selected->frame;
  }
  // Every window is in frames_: each identification selects its window, and a cast per record
  // for all the others showed in a burst of 2000.
  for (TFrameClient* frame : frames_)
    if (frame != kept) frame->FrameActivated(false);
  if (!selected) return;
  const auto& rows = table_.Rows();
  for (int r = 0; r < int(rows.size()) && r < gridClients_->rowCount(); ++r)
    if (rows[std::size_t(r)].ctx == ctx) gridClients_->setCurrentCell(r, 0);
}

void TformMain::gridClientsFixedCellClick(int col) {
  LogDebug(QStringLiteral("TFormMain.gridClientsFixedCellClick()"));
  sup_->Cfg().SetSortBy(col == 0 ? QStringLiteral("name") : QStringLiteral("alarm"));
  gridClients_->viewport()->update();
  UpdateClientTable(true);
}

void TformMain::gridClientsMouseUp(Qt::MouseButton button, int row, const QPoint& globalPos) {
  LogDebug(QStringLiteral("TFormMain.gridClientsMouseUp()"));
  if (!started_) return;
  const auto& rows = table_.Rows();
  if (row < 0 || row >= int(rows.size())) return;
  const TCtx ctx = rows[std::size_t(row)].ctx;
  TDTClient* client = nullptr;
  TFrameClient* frame = nullptr;
  {
    TClientList& list = sup_->Clients();
    TClientListHold hold(list);
    // A row bound to no connection has no record, whatever records lack a connection.
    client = ctx ? list.GetClientFromCtx(ctx) : nullptr;
    if (client) frame = dynamic_cast<TFrameClient*>(client->frame);
  }
  if (client) {
    if (!frame) return;
    frame->FrameActivated(true);
    if (button == Qt::RightButton) {
      gridClients_->setCurrentCell(row, 0);
      frame->BorrowMenu(globalPos.x(), globalPos.y());
    }
    return;
  }
  if (button != Qt::RightButton || row >= table_.EntryCount() || table_.EntryConnected(row)) return;
  const QString folder = table_.EntryText(row);
  menuDMType_->setText(QStringLiteral("Type: ") + ReadTermInfo(folder, QStringLiteral("type")));
  menuDMID_->setText(QStringLiteral("ID: ") + folder);
  deadMenuIndex_ = row;
  popupDeadMonitor_->popup(globalPos);
}

void TformMain::menuDMDeleteClick() {
  const int index = deadMenuIndex_;
  // The entries may have moved since the menu opened; a connected monitor's folder is in use
  // and is never moved.
  if (index < 0 || index >= table_.EntryCount() || table_.EntryConnected(index)) return;
  const QString sID = table_.EntryText(index);
  const QString sName = ReadTermInfo(sID, QStringLiteral("name"));
  const QString text = QStringLiteral("Delete monitor and downloaded data?\n\nName: ") + sName +
                       QStringLiteral("\nID: ") + sID;
  if (!confirmDelete || !confirmDelete(text)) return;
  TClientTable::MoveAside(sup_->Cfg().DataPath(), sID);
  gridClients_->viewport()->update();
}

// ---- Minimising and the tray

void TformMain::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || destroyed_) return;
  const Qt::WindowStates before = static_cast<QWindowStateChangeEvent*>(event)->oldState();
  const Qt::WindowStates now = windowState();
  if ((now & Qt::WindowMinimized) && !(before & Qt::WindowMinimized)) {
    SetMinimisedFrom(true, before);
  } else if (!(now & Qt::WindowMinimized) && (before & Qt::WindowMinimized)) {
    // Back first to the state before minimising, then to the one asked for.
    SetMinimisedFrom(false, before);
    if ((now & Qt::WindowMaximized) && !(windowState() & Qt::WindowMaximized))
      setWindowState(Qt::WindowMaximized);
  }
}

void TformMain::SetMinimised(bool bMinimise) { SetMinimisedFrom(bMinimise, windowState()); }

void TformMain::SetMinimisedFrom(bool bMinimise, Qt::WindowStates before) {
  TRunstat& rs = sup_->Runstat();
  if (bMinimise) {
    if (rs.bMinimised) return;
    sup_->PauseStreams((before & Qt::WindowMaximized) ? TRunstat::wsMaximized : TRunstat::wsNormal);
    // Without a notification area a hidden window could never be brought back.
    if (sup_->Cfg().SysTray() && trayAvailable && trayAvailable()) {
      trayicon_->show();
      FormHide();
      hide();
    }
  } else {
    if (!rs.bMinimised) return;
    sup_->ResumeStreams();
    ShowMainWindow();
    trayicon_->hide();
  }
}

void TformMain::ShowMainWindow() {
  const Qt::WindowStates wanted = sup_->Runstat().winstateOnMin == TRunstat::wsMaximized
                                      ? Qt::WindowMaximized
                                      : Qt::WindowNoState;
  if (windowState() != wanted) setWindowState(wanted);
  if (!isVisible()) show();
}

void TformMain::trayiconClick() {
  LogDebug(QStringLiteral("TFormMain.trayiconClick()"));
  SetMinimised(false);
  raise();
  activateWindow();
}

void TformMain::trayiconBalloonClick() {
  LogDebug(QStringLiteral("TFormMain.trayiconBalloonClick()"));
  SetMinimised(false);
  raise();
  activateWindow();
}

void TformMain::ShowBalloon(const QString& title, const QString& text) {
  trayicon_->showMessage(title, text, QSystemTrayIcon::Information);
}

void TformMain::ShowOnlineStatus(bool bOnline, const QString& address) {
  lblOnlineStatus_->setText(bOnline ? QStringLiteral("Online: ") + address
                                    : QStringLiteral("Offline"));
  SetLedColour(shapeOnlineLED_, bOnline ? QColor(0, 255, 0) : QColor(255, 0, 0));
}

void TformMain::ShowError(const QString& text) {
  // Not modal: at start-up a modal box would keep the listener closed until someone answers it.
  auto* box = new QMessageBox(QMessageBox::Critical, windowTitle(), text, QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  box->show();
}
