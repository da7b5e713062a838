#include "display/TformMain.h"

#include "core/TDTClient.h"
#include "display/TformLog.h"
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
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const char* const kPeriodNames[6] = {"1 minute",   "5 minutes",  "10 minutes",
                                     "15 minutes", "30 minutes", "1 hour"};

void SetLedColour(QLabel* led, const QColor& colour) {
  led->setStyleSheet(QStringLiteral("border: 1px solid gray; border-radius: 6px; background: %1;")
                         .arg(colour.name()));
}
}  // namespace

int TformMain::PeriodIndex(int minutes) {
  for (int i = 0; i < 6; ++i)
    if (kPeriods[i] == minutes) return i;
  return -1;
}

TformMain::TformMain(TSupervisor::Options options) {
  setWindowTitle(QStringLiteral("Quietmark Supervisor"));
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(11);
  setFont(font);

  // Settings, run-time status and log come first; everything after may log.
  sup_ = std::make_unique<TSupervisor>(this, std::move(options));
  sup_->showLiveState = [this] { ShowLiveState(); };
  sup_->showHistoryState = [this] { ShowHistoryState(); };
  formLog_ = new TformLog(&sup_->Log(), &sup_->Runstat(), this);
  sup_->LogStartup();

  BuildMenus();
  BuildToolbar();
  BuildPanels();
  BuildStatusBar();
  resize(690, 469 + menuBar()->sizeHint().height());

  TCfg& cfg = sup_->Cfg();
  panelBtns_->setVisible(cfg.Toolbar());
  menuToolbar_->setChecked(cfg.Toolbar());
  btnLive_->setChecked(cfg.RTLive());
  menuLive_->setChecked(cfg.RTLive());
  btnHistory_->setChecked(cfg.History());
  menuHistory_->setChecked(cfg.History());
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
  UpdateClientTable(true);
}

TformMain::~TformMain() { FormDestroy(); }

void TformMain::BuildMenus() {
  QMenu* system = menuBar()->addMenu(QStringLiteral("&System"));
  system->addAction(QStringLiteral("&Preferences..."));
  QMenu* setup = system->addMenu(QStringLiteral("&Device Setup"));
  setup->addAction(QStringLiteral("&Find New Monitors..."));
  setup->addAction(QStringLiteral("Connect by IP..."));
  setup->addAction(QStringLiteral("Create Memory Stick..."));
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
  window->addAction(QStringLiteral("&Compact All"));
  window->addAction(QStringLiteral("&Align Compact Windows"));
  window->addSeparator();
  window->addAction(QStringLiteral("&Expand All"));
  window->addAction(QStringLiteral("Expand && &Tile"));
  window->addAction(QStringLiteral("&Match Window Sizes"));

  menuHelp_ = menuBar()->addMenu(QStringLiteral("&Help"));
  menuHelp_->addAction(QStringLiteral("&Contents"));
  menuHelp_->addSeparator();
  menuBHLog_ = menuHelp_->addAction(QStringLiteral("System &Log"), this,
                                    [this] { formLog_->setVisible(!formLog_->isVisible()); });
  menuBHLog_->setVisible(false);
  menuHelp_->addAction(QStringLiteral("&About..."));
  // The log window is reached only with Ctrl held as the menu opens.
  connect(menuHelp_, &QMenu::aboutToShow, this,
          [this] { menuBHLog_->setVisible(qmplatform::CtrlHeld()); });
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
  imgBackground_ = new QLabel(panelMain_);
  imgBackground_->setScaledContents(true);
  imgBackground_->hide();

  panelClients_ = new QWidget;
  panelClients_->setFixedWidth(185);
  gridClients_ = new QTableWidget(1, 2, panelClients_);
  gridClients_->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Alarms")});
  gridClients_->verticalHeader()->hide();
  gridClients_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  gridClients_->setSelectionBehavior(QAbstractItemView::SelectRows);
  gridClients_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  gridClients_->setColumnWidth(1, 50);
  auto* clientsLayout = new QVBoxLayout(panelClients_);
  clientsLayout->setContentsMargins(0, 0, 0, 0);
  clientsLayout->addWidget(gridClients_);

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
  panelStatCnx_ = new QLabel;
  statusBar()->addWidget(panelStatCnx_, 1);
  panelLogo_ = new QLabel(QStringLiteral("Brackenhall Quietmark"));
  QFont logo(QStringLiteral("Arial Black"));
  logo.setPixelSize(13);
  logo.setBold(true);
  panelLogo_->setFont(logo);
  panelLogo_->setCursor(Qt::PointingHandCursor);
  statusBar()->addPermanentWidget(panelLogo_);
  statusBar()->setFixedHeight(24);
  statusBar()->setSizeGripEnabled(false);
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

void TformMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (imgBackground_) imgBackground_->setGeometry(panelMain_->rect());
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
  panelClients_->setVisible(cfg.ClientList());
  menuClients_->setChecked(cfg.ClientList());
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

void TformMain::ShowLiveState() {
  const bool on = sup_->Cfg().RTLive();
  btnLive_->setChecked(on);
  menuLive_->setChecked(on);
  sup_->ChangeClientRates();
}

void TformMain::ShowHistoryState() {
  const bool on = sup_->Cfg().History();
  btnHistory_->setChecked(on);
  menuHistory_->setChecked(on);
  sup_->ChangeHistoryRates();
}

void TformMain::comboPeriodChange(int index) {
  LogDebug(QStringLiteral("TFormMain.comboPeriodChange(): ") + QString::number(index));
  if (index < 0 || index >= 6) return;
  sup_->Cfg().SetReportPeriod(kPeriods[index]);
  sup_->ChangeHistoryRates();
}

void TformMain::btnReporterClick() {
  const QString prog = sup_->Cfg().ReporterProg();
  if (!qmplatform::StartProgram(prog)) LogMsg(QStringLiteral("Failed to run reporter: ") + prog);
}

IMonitorWindow* TformMain::CreateMonitorWindow(TDTClient*) { return nullptr; }

void TformMain::FreeMonitorWindow(IMonitorWindow*) {}

void TformMain::UpdateClientTable(bool) {
  TClientList& list = sup_->Clients();
  QStringList names;
  QList<int> alarms;
  {
    TClientListHold hold(list);
    for (int i = 0; i < list.Count(); ++i) {
      const TDTClient* c = list.GetClient(i);
      if (!c || !c->Connected()) continue;
      names << c->sName;
      alarms << static_cast<int>(c->adtAlarms.size());
    }
  }
  if (names.isEmpty()) {
    names << QStringLiteral("No connections");
    alarms << -1;
  }
  gridClients_->setRowCount(static_cast<int>(names.size()));
  for (int r = 0; r < names.size(); ++r) {
    gridClients_->setItem(r, 0, new QTableWidgetItem(names[r]));
    gridClients_->setItem(
        r, 1, new QTableWidgetItem(alarms[r] < 0 ? QString() : QString::number(alarms[r])));
  }
  panelStatCnx_->setText(QStringLiteral("Connections: %1").arg(sup_->CnxCount()));
}

void TformMain::ClientSelected(const TCtx&) {}

void TformMain::ShowOnlineStatus(bool bOnline, const QString& address) {
  lblOnlineStatus_->setText(bOnline ? QStringLiteral("Online: ") + address
                                    : QStringLiteral("Offline"));
  SetLedColour(shapeOnlineLED_, bOnline ? QColor(0, 255, 0) : QColor(255, 0, 0));
}

void TformMain::ShowBalloon(const QString&, const QString&) {}

void TformMain::ShowError(const QString& text) {
  QMessageBox::critical(this, windowTitle(), text, QMessageBox::Ok);
}
