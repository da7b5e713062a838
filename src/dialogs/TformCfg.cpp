#include "dialogs/TformCfg.h"

#include "core/EmailAdx.h"
#include "core/TCfg.h"
#include "dialogs/BackgroundImage.h"
#include "dialogs/CfgRules.h"
#include "dialogs/HelpLink.h"
#include "live/TQmAlert.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QShowEvent>
#include <QSlider>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QLabel* WrappedLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  return label;
}

QLabel* HintLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setStyleSheet(QStringLiteral("color: gray"));
  return label;
}

QString DbText(int position) { return QString::number(position) + QStringLiteral(" dB"); }

}  // namespace

TformCfg::TformCfg(TCfg& cfg, TQmAlert& alert, QString appDataFolder,
                   std::function<void()> reloadBackground, QWidget* parent)
    : QDialog(parent),
      cfg_(cfg),
      alert_(alert),
      appDataFolder_(std::move(appDataFolder)),
      reloadBackground_(std::move(reloadBackground)) {
  setWindowTitle(QStringLiteral("Quietmark Supervisor Settings"));
  showError = [this](const QString& text) {
    QMessageBox::critical(this, QStringLiteral("Error"), text);
  };
  confirm = [this](const QString& text) {
    return QMessageBox::question(this, QStringLiteral("Confirm"), text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
  };
  pickImage = [this] {
    return QFileDialog::getOpenFileName(this, QString(), QString(),
                                        QStringLiteral("JPG Files (*.jpg)"));
  };
  pickFolder = [this](const QString& start) {
    return QFileDialog::getExistingDirectory(this, QStringLiteral("Select Quietmark Data Path"),
                                             start);
  };
  showHelp = ShowHelpPage;

  tabs = new QTabWidget(this);
  BuildProgramTab();
  BuildChartsTab();
  BuildEmailTab();
  BuildSmtpTab();
  BuildNetworkTab();
  BuildClockSyncTab();

  btnHelp = new QPushButton(QStringLiteral("&Help"), this);
  btnOK = new QPushButton(QStringLiteral("OK"), this);
  btnOK->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
  connect(btnHelp, &QPushButton::clicked, this, &TformCfg::btnHelpClick);
  connect(btnOK, &QPushButton::clicked, this, &TformCfg::btnOKClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnHelp);
  buttons->addStretch();
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs);
  layout->addLayout(buttons);
  resize(540, 400);
}

void TformCfg::BuildProgramTab() {
  tabDisplay = new QWidget;
  tabDisplay->setObjectName(QStringLiteral("tabDisplay"));
  auto* background = new QGroupBox(QStringLiteral("Background"), tabDisplay);
  btnBackground = new QPushButton(QStringLiteral("Load Image"), background);
  btnRemoveImage = new QPushButton(QStringLiteral("Remove Image"), background);
  auto* imageRow = new QHBoxLayout(background);
  imageRow->addWidget(btnBackground);
  imageRow->addWidget(btnRemoveImage);
  imageRow->addStretch();

  chkStartWithWin =
      new QCheckBox(QStringLiteral("Start Quietmark Supervisor when Windows starts"), tabDisplay);
  chkSysTray = new QCheckBox(QStringLiteral("Minimize to System Tray"), tabDisplay);
  chkNotify = new QCheckBox(QStringLiteral("Show Notifications"), tabDisplay);

  auto* dataPath = new QGroupBox(QStringLiteral("Data Path"), tabDisplay);
  editDataPath = new QLineEdit(dataPath);
  btnDir = new QPushButton(dataPath);
  btnDir->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  btnDir->setToolTip(QStringLiteral("Select Quietmark Data Path"));
  auto* pathGrid = new QGridLayout(dataPath);
  pathGrid->addWidget(editDataPath, 0, 0);
  pathGrid->addWidget(btnDir, 0, 1);
  pathGrid->addWidget(HintLabel(QStringLiteral("Leave blank to use default data path"), dataPath),
                      1, 0, 1, 2);

  auto* layout = new QVBoxLayout(tabDisplay);
  layout->addWidget(background);
  layout->addWidget(chkStartWithWin);
  layout->addWidget(chkSysTray);
  layout->addWidget(chkNotify);
  layout->addWidget(dataPath);
  layout->addStretch();
  tabs->addTab(tabDisplay, QStringLiteral("Program"));

  connect(btnBackground, &QPushButton::clicked, this, &TformCfg::btnBackgroundClick);
  connect(btnRemoveImage, &QPushButton::clicked, this, &TformCfg::btnRemoveImageClick);
  connect(btnDir, &QPushButton::clicked, this, &TformCfg::btnDirClick);
  connect(chkSysTray, &QCheckBox::toggled, chkNotify, &QWidget::setEnabled);
}

void TformCfg::BuildChartsTab() {
  tabCharts = new QWidget;
  tabCharts->setObjectName(QStringLiteral("tabCharts"));
  auto* box = new QGroupBox(QStringLiteral("Y Axis Scaling"), tabCharts);
  radYAxisRemote = new QRadioButton(QStringLiteral("Individual scaling for each monitor"), box);
  radYAxisAuto = new QRadioButton(QStringLiteral("Automatic"), box);
  radYAxisFixed = new QRadioButton(QStringLiteral("Fixed"), box);
  auto* group = new QButtonGroup(box);
  for (QRadioButton* r : {radYAxisRemote, radYAxisAuto, radYAxisFixed}) group->addButton(r);

  auto makeTrackbar = [box](int low, int high) {
    auto* t = new QSlider(Qt::Horizontal, box);
    t->setRange(low, high);
    t->setTickPosition(QSlider::TicksBelow);
    t->setTickInterval(10);
    t->setPageStep(10);
    return t;
  };
  trackbarMin = makeTrackbar(qmcfg::kYMinLow, qmcfg::kYMinHigh);
  trackbarMax = makeTrackbar(qmcfg::kYMaxLow, qmcfg::kYMaxHigh);
  lblMin = new QLabel(box);
  lblMax = new QLabel(box);
  for (QLabel* l : {lblMin, lblMax}) l->setMinimumWidth(50);

  auto* grid = new QGridLayout(box);
  grid->addWidget(radYAxisRemote, 0, 0, 1, 3);
  grid->addWidget(radYAxisAuto, 1, 0, 1, 3);
  grid->addWidget(radYAxisFixed, 2, 0, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("Min"), box), 3, 0);
  grid->addWidget(trackbarMin, 3, 1);
  grid->addWidget(lblMin, 3, 2);
  grid->addWidget(new QLabel(QStringLiteral("Max"), box), 4, 0);
  grid->addWidget(trackbarMax, 4, 1);
  grid->addWidget(lblMax, 4, 2);

  auto* layout = new QVBoxLayout(tabCharts);
  layout->addWidget(box);
  layout->addStretch();
  tabs->addTab(tabCharts, QStringLiteral("Charts"));

  connect(radYAxisFixed, &QRadioButton::toggled, this, [this](bool fixed) {
    trackbarMin->setEnabled(fixed);
    trackbarMax->setEnabled(fixed);
  });
  connect(trackbarMin, &QSlider::valueChanged, this, &TformCfg::trackbarMinChange);
  connect(trackbarMax, &QSlider::valueChanged, this, &TformCfg::trackbarMaxChange);
}

void TformCfg::BuildEmailTab() {
  tabEmail = new QWidget;
  tabEmail->setObjectName(QStringLiteral("tabEmail"));
  chkAlertByEmail =
      new QCheckBox(QStringLiteral("Send alerts by email when alarms occur"), tabEmail);
  panelEmail = new QWidget(tabEmail);
  editMailTo = new QLineEdit(panelEmail);
  editAlertFrom = new QLineEdit(panelEmail);
  comboAlertRate = new QComboBox(panelEmail);
  for (int minutes : qmcfg::kAlertRates) comboAlertRate->addItem(QString::number(minutes));
  btnMailTest = new QPushButton(QStringLiteral("Test"), panelEmail);
  lblMailStat = WrappedLabel(QString(), panelEmail);

  auto* rate = new QHBoxLayout;
  rate->addWidget(
      new QLabel(QStringLiteral("After an alert, no more emails for the next"), panelEmail));
  rate->addWidget(comboAlertRate);
  rate->addWidget(new QLabel(QStringLiteral("minutes"), panelEmail));
  rate->addStretch();
  auto* test = new QHBoxLayout;
  test->addWidget(btnMailTest, 0, Qt::AlignTop);
  test->addWidget(lblMailStat, 1);

  auto* panel = new QVBoxLayout(panelEmail);
  panel->setContentsMargins(0, 0, 0, 0);
  panel->addWidget(new QLabel(QStringLiteral("To Email(s)"), panelEmail));
  panel->addWidget(editMailTo);
  panel->addWidget(
      HintLabel(QStringLiteral("Separate multiple addresses with semi-colons ;"), panelEmail));
  panel->addWidget(new QLabel(QStringLiteral("From Email"), panelEmail));
  panel->addWidget(editAlertFrom);
  panel->addLayout(rate);
  panel->addSpacing(8);
  panel->addLayout(test);

  auto* layout = new QVBoxLayout(tabEmail);
  layout->addWidget(chkAlertByEmail);
  layout->addWidget(panelEmail);
  layout->addStretch();
  tabs->addTab(tabEmail, QStringLiteral("Email Alerts"));

  connect(chkAlertByEmail, &QCheckBox::toggled, this, &TformCfg::ShowAlertControls);
  connect(btnMailTest, &QPushButton::clicked, this, &TformCfg::btnMailTestClick);
}

void TformCfg::BuildSmtpTab() {
  tabSmtp = new QWidget;
  tabSmtp->setObjectName(QStringLiteral("tabSmtp"));
  editSmtpHost = new QLineEdit(tabSmtp);
  editSmtpUser = new QLineEdit(tabSmtp);
  editSmtpPwd = new QLineEdit(tabSmtp);
  editSmtpPwd->setEchoMode(QLineEdit::Password);
  editSmtpPwd->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // "*"
  comboSmtpPort = new QComboBox(tabSmtp);
  chkSmtpSSL = new QCheckBox(QStringLiteral("SSL/TLS"), tabSmtp);

  auto* form = new QFormLayout(tabSmtp);
  form->addRow(QStringLiteral("SMTP Host"), editSmtpHost);
  form->addRow(QStringLiteral("User Name"), editSmtpUser);
  form->addRow(QStringLiteral("Password"), editSmtpPwd);
  form->addRow(QStringLiteral("SMTP Port"), comboSmtpPort);
  form->addRow(QString(), chkSmtpSSL);
  tabs->addTab(tabSmtp, QStringLiteral("SMTP"));
}

void TformCfg::BuildNetworkTab() {
  tabNetwork = new QWidget;
  tabNetwork->setObjectName(QStringLiteral("tabNetwork"));
  editPort = new QLineEdit(tabNetwork);
  editPort->setMaximumWidth(100);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("Port"), tabNetwork));
  row->addWidget(editPort);
  row->addStretch();
  auto* layout = new QVBoxLayout(tabNetwork);
  layout->addLayout(row);
  layout->addWidget(WrappedLabel(
      QStringLiteral("The default port for Quietmark Monitors is 53941. Only change this value if "
                     "the port on all connected monitors has changed too."),
      tabNetwork));
  layout->addStretch();
  tabs->addTab(tabNetwork, QStringLiteral("Network"));
}

void TformCfg::BuildClockSyncTab() {
  tabClockSync = new QWidget;
  tabClockSync->setObjectName(QStringLiteral("tabClockSync"));
  chkClockSync = new QCheckBox(QStringLiteral("Sync Quietmark Terminal clocks to this computer"),
                               tabClockSync);
  lblClockSyncRestart = WrappedLabel(
      QStringLiteral("Please restart Supervisor to activate Clock Sync changes"), tabClockSync);
  lblClockSyncRestart->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
  auto* layout = new QVBoxLayout(tabClockSync);
  layout->addWidget(WrappedLabel(
      QStringLiteral("The Quietmark Terminal clocks are usually set using the Network Time "
                     "Protocol. If your Quietmark Terminal does not have access to the NTP server "
                     "then you can use this option to sync the clocks with this computer."),
      tabClockSync));
  layout->addWidget(WrappedLabel(
      QStringLiteral("Please only use this option if your noise monitors don't have access to "
                     "the NTP server. For most installations it is better to use the Network Time "
                     "Protocol."),
      tabClockSync));
  layout->addWidget(WrappedLabel(
      QStringLiteral("Terminal must have QMT-QM module version 1.2.1 or later for this to work."),
      tabClockSync));
  layout->addWidget(chkClockSync);
  layout->addWidget(lblClockSyncRestart);
  layout->addStretch();
  tabs->addTab(tabClockSync, QStringLiteral("Clock Sync"));
  // A click in either direction needs the restart; showing the stored value does not.
  connect(chkClockSync, &QCheckBox::clicked, lblClockSyncRestart, &QWidget::show);
}

void TformCfg::showEvent(QShowEvent* event) {
  // A window restored from the task bar is not shown afresh.
  if (!event->spontaneous()) FormShow();
  QDialog::showEvent(event);
}

void TformCfg::FormShow() {
  editDataPath->setText(cfg_.DataPath());
  editPort->setText(QString::number(cfg_.Port()));
  btnRemoveImage->setEnabled(ImageExists());

  chkSysTray->setChecked(cfg_.SysTray());
  chkNotify->setChecked(cfg_.Notify());
  chkNotify->setEnabled(cfg_.SysTray());
  chkStartWithWin->setChecked(cfg_.StartWithWin());

  const TYAxisScale scale = cfg_.YAxisScale();
  (scale == yasFixed  ? radYAxisFixed
   : scale == yasAuto ? radYAxisAuto
                      : radYAxisRemote)
      ->setChecked(true);
  // Each position is clamped to its range and then pushes or pulls the other one.
  trackbarMin->setValue(cfg_.YAxisMin());
  trackbarMax->setValue(cfg_.YAxisMax());
  lblMin->setText(DbText(trackbarMin->value()));
  lblMax->setText(DbText(trackbarMax->value()));
  trackbarMin->setEnabled(scale == yasFixed);
  trackbarMax->setEnabled(scale == yasFixed);

  chkAlertByEmail->setChecked(cfg_.AlertByEmail());
  editMailTo->setText(cfg_.AlertEmails());
  editAlertFrom->setText(cfg_.AlertFrom());
  comboAlertRate->setCurrentIndex(qmcfg::AlertRateIndex(cfg_.AlertRate()));
  ShowAlertControls(cfg_.AlertByEmail());
  lblMailStat->setText(
      QStringLiteral("Click Test button to send an email to the selected addresses."));

  editSmtpHost->setText(cfg_.SmtpHost());
  editSmtpUser->setText(cfg_.SmtpUser());
  editSmtpPwd->setText(cfg_.SmtpPwd());
  comboSmtpPort->clear();
  const QList<int> ports = qmcfg::SmtpPorts(cfg_.SmtpPort());
  for (int port : ports) comboSmtpPort->addItem(QString::number(port), port);
  comboSmtpPort->setCurrentIndex(int(ports.indexOf(cfg_.SmtpPort())));
  chkSmtpSSL->setChecked(cfg_.SmtpSSL());

  chkClockSync->setChecked(cfg_.ClockSync());
  lblClockSyncRestart->hide();
}

void TformCfg::ShowAlertControls(bool on) {
  panelEmail->setEnabled(on);
  tabs->setTabVisible(tabs->indexOf(tabSmtp), on);
}

void TformCfg::trackbarMinChange(int position) {
  lblMin->setText(DbText(position));
  const qmcfg::YRange r = qmcfg::AfterMinMoved({position, trackbarMax->value()});
  trackbarMax->setValue(r.max);
}

void TformCfg::trackbarMaxChange(int position) {
  lblMax->setText(DbText(position));
  const qmcfg::YRange r = qmcfg::AfterMaxMoved({trackbarMin->value(), position});
  trackbarMin->setValue(r.min);
}

bool TformCfg::ImageExists() const {
  return QFile::exists(qmbackground::ImagePath(appDataFolder_));
}

void TformCfg::StoreSmtpAccount() {
  cfg_.SetAlertFrom(editAlertFrom->text());
  cfg_.SetSmtpHost(editSmtpHost->text());
  if (comboSmtpPort->currentIndex() >= 0) cfg_.SetSmtpPort(comboSmtpPort->currentData().toInt());
  cfg_.SetSmtpUser(editSmtpUser->text());
  cfg_.SetSmtpPwd(editSmtpPwd->text());
  cfg_.SetSmtpSSL(chkSmtpSSL->isChecked());
}

void TformCfg::btnOKClick() {
  // Each value is stored as its step is reached; a failed check keeps the dialog open with the
  // values before and after it stored.
  bool ok = true;
  cfg_.SetDataPath(editDataPath->text());
  cfg_.SetSysTray(chkSysTray->isChecked());
  cfg_.SetNotify(chkNotify->isChecked());
  cfg_.SetStartWithWin(chkStartWithWin->isChecked());
  cfg_.SetYAxisScale(radYAxisFixed->isChecked()  ? yasFixed
                     : radYAxisAuto->isChecked() ? yasAuto
                                                 : yasRemote);
  cfg_.SetYAxisMin(trackbarMin->value());
  cfg_.SetYAxisMax(trackbarMax->value());

  const int port = qmcfg::PortFromText(editPort->text());
  if (qmcfg::PortInRange(port)) {
    cfg_.SetPort(port);
  } else {
    showError(QStringLiteral("Invalid port number"));
    ok = false;
  }

  cfg_.SetAlertByEmail(chkAlertByEmail->isChecked());
  if (chkAlertByEmail->isChecked()) {
    if (ValidEmailList(editMailTo->text())) {
      cfg_.SetAlertEmails(editMailTo->text());
    } else {
      showError(QStringLiteral("Invalid email address for alerts"));
      ok = false;
    }
    cfg_.SetAlertRate(qmcfg::kAlertRates[comboAlertRate->currentIndex()]);
  }

  StoreSmtpAccount();
  cfg_.SetClockSync(chkClockSync->isChecked());
  if (ok) accept();
}

void TformCfg::btnMailTestClick() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
  lblMailStat->setText(QStringLiteral("Sending test email..."));
  repaint();
  // A list OK would refuse is neither stored nor sent to.
  if (!ValidEmailList(editMailTo->text())) {
    lblMailStat->setText(QStringLiteral("Invalid email address for alerts"));
    return;
  }
  // So that the test is not held back by the rate limit of an earlier alert.
  alert_.ResetTimer();
  cfg_.SetAlertEmails(editMailTo->text());
  StoreSmtpAccount();
  lblMailStat->setText(alert_.SendAlert(QStringLiteral("Test message from Quietmark Supervisor"))
                           ? QStringLiteral("Mail sent, check your inbox")
                           : QStringLiteral("ERROR - FAILED TO SEND TEST EMAIL"));
}

void TformCfg::btnBackgroundClick() {
  const QString source = pickImage();
  if (source.isEmpty()) return;
  if (!qmbackground::CopyImage(source, appDataFolder_)) {
    showError(QStringLiteral("Failed to make a copy of the selected image file"));
    return;
  }
  if (reloadBackground_) reloadBackground_();
  btnRemoveImage->setEnabled(ImageExists());
}

void TformCfg::btnRemoveImageClick() {
  if (!confirm(QStringLiteral("Delete background image?"))) return;
  if (!QFile::remove(qmbackground::ImagePath(appDataFolder_))) return;
  if (reloadBackground_) reloadBackground_();
  btnRemoveImage->setEnabled(false);
}

void TformCfg::btnDirClick() {
  const QString folder = pickFolder(cfg_.DataPath());
  if (!folder.isEmpty()) editDataPath->setText(folder);
}

void TformCfg::btnHelpClick() {
  const QString page = qmcfg::HelpPageForTab(tabs->currentWidget()->objectName());
  if (!page.isEmpty()) showHelp(page);
}
