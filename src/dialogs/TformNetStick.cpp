#include "dialogs/TformNetStick.h"

#include "dialogs/ButtonRow.h"
#include "dialogs/HelpLink.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

TformNetStick::TformNetStick(const qmplatform::IDrives& drives, const QString& localAddress,
                             int serverPort, QWidget* parent)
    : QDialog(parent), drives_(drives), watch_(drives) {
  setWindowTitle(QStringLiteral("Create Network Memory Stick"));
  showError = [this](const QString& text) { QMessageBox::critical(this, windowTitle(), text); };
  showInfo = [this](const QString& text) { QMessageBox::information(this, windowTitle(), text); };

  chkNetwork = new QCheckBox(QStringLiteral("WiFi network configuration"), this);
  panelNetwork = new QWidget(this);
  editNetName = new QLineEdit(panelNetwork);
  editNetPsk = new QLineEdit(panelNetwork);
  btnAdd = new QPushButton(QStringLiteral("Add"), panelNetwork);
  btnAdd->setDefault(true);
  btnAdd->setEnabled(false);
  listboxNetworks = new QListWidget(panelNetwork);
  listboxNetworks->setMaximumHeight(70);
  btnClearList = new QPushButton(QStringLiteral("Clear List"), panelNetwork);
  auto* net = new QGridLayout(panelNetwork);
  net->setContentsMargins(20, 0, 0, 0);
  net->addWidget(new QLabel(QStringLiteral("Network Name (SSID) "), panelNetwork), 0, 0);
  net->addWidget(editNetName, 0, 1);
  net->addWidget(new QLabel(QStringLiteral("Network Password (PSK)"), panelNetwork), 1, 0);
  net->addWidget(editNetPsk, 1, 1);
  net->addWidget(btnAdd, 1, 2);
  net->addWidget(new QLabel(QStringLiteral("Networks Added"), panelNetwork), 2, 0, Qt::AlignTop);
  net->addWidget(listboxNetworks, 2, 1);
  net->addWidget(btnClearList, 2, 2, Qt::AlignTop);

  chkServerIP = new QCheckBox(QStringLiteral("Quietmark Supervisor"), this);
  panelServer = new QWidget(this);
  editServerIP = new QLineEdit(panelServer);
  editServerPort = new QLineEdit(panelServer);
  auto* server = new QFormLayout(panelServer);
  server->setContentsMargins(20, 0, 0, 0);
  server->addRow(QStringLiteral("IP Address"), editServerIP);
  server->addRow(QStringLiteral("Port"), editServerPort);

  chkService = new QCheckBox(QStringLiteral("Service Mode"), this);
  lblService = new QLabel(QStringLiteral("The monitor goes into service mode while the memory "
                                         "stick is inserted (for field calibration)."),
                          this);
  lblService->setWordWrap(true);
  lblService->setContentsMargins(20, 0, 0, 0);

  lblMemStick = new QLabel(QStringLiteral("Memory Stick"), this);
  comboDrives = new QComboBox(this);
  comboDrives->setMinimumWidth(180);
  btnCreate = new QPushButton(QStringLiteral("Create Memory Stick"), this);
  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
  btnHelp = new QPushButton(QStringLiteral("Help"), this);

  auto* drive = new QHBoxLayout;
  drive->addWidget(lblMemStick);
  drive->addWidget(comboDrives, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(chkNetwork);
  layout->addWidget(panelNetwork);
  layout->addWidget(chkServerIP);
  layout->addWidget(panelServer);
  layout->addWidget(chkService);
  layout->addWidget(lblService);
  layout->addSpacing(8);
  layout->addLayout(drive);
  layout->addLayout(ButtonRow(btnHelp, {btnCreate, btnCancel}));
  resize(480, 440);

  for (QCheckBox* box : {chkNetwork, chkServerIP, chkService})
    connect(box, &QCheckBox::clicked, this, &TformNetStick::ApplyEnabling);
  editNetName->installEventFilter(this);
  editNetPsk->installEventFilter(this);
  connect(btnAdd, &QPushButton::clicked, this, &TformNetStick::btnAddClick);
  connect(btnClearList, &QPushButton::clicked, this, &TformNetStick::btnClearListClick);
  connect(btnCreate, &QPushButton::clicked, this, &TformNetStick::btnCreateClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnHelp, &QPushButton::clicked, this,
          [] { ShowHelpPage(QStringLiteral("network/monitor.html")); });
  timerDrives.setInterval(1000);
  connect(&timerDrives, &QTimer::timeout, this, &TformNetStick::timerDrivesTimer);

  timerDrivesTimer();
  editServerIP->setText(localAddress);
  editServerPort->setText(QString::number(serverPort));
  ApplyEnabling();
  timerDrives.start();
}

void TformNetStick::ApplyEnabling() {
  panelNetwork->setEnabled(chkNetwork->isChecked());
  if (chkNetwork->isChecked())
    btnAdd->setEnabled(!editNetName->text().isEmpty() && !editNetPsk->text().isEmpty());
  panelServer->setEnabled(chkServerIP->isChecked());
  lblService->setEnabled(chkService->isChecked());
}

bool TformNetStick::eventFilter(QObject* watched, QEvent* event) {
  // An empty password is allowed once the name is typed.
  if ((watched == editNetName || watched == editNetPsk) && event->type() == QEvent::KeyRelease)
    btnAdd->setEnabled(!editNetName->text().isEmpty());
  return QDialog::eventFilter(watched, event);
}

void TformNetStick::timerDrivesTimer() {
  if (!watch_.Check()) return;
  comboDrives->clear();
  comboDrives->addItems(watch_.Removable());
  const bool any = comboDrives->count() > 0;
  comboDrives->setEnabled(any);
  if (any) comboDrives->setCurrentIndex(0);
  lblMemStick->setText(any ? QStringLiteral("Select Memory Stick")
                           : QStringLiteral("Insert a USB Memory Stick"));
  btnCreate->setEnabled(any);
}

void TformNetStick::btnAddClick() {
  slNetName << editNetName->text();
  slNetPsk << editNetPsk->text();
  listboxNetworks->addItem(editNetName->text());
  editNetName->clear();
  editNetPsk->clear();
  btnAdd->setEnabled(false);
  editNetName->setFocus();
}

void TformNetStick::btnClearListClick() {
  slNetName.clear();
  slNetPsk.clear();
  listboxNetworks->clear();
}

void TformNetStick::btnCreateClick() {
  if (btnAdd->isEnabled()) btnAddClick();
  switch (qmstick::CheckServerFields(editServerIP->text(), editServerPort->text())) {
    case qmstick::TFieldCheck::BadServerIP:
      showError(QStringLiteral("Not a valid Server IP"));
      editServerIP->setFocus();
      return;
    case qmstick::TFieldCheck::BadServerPort:
      showError(QStringLiteral("Not a valid Server Port"));
      return;
    case qmstick::TFieldCheck::Ok:
      break;
  }
  qmstick::TStickContent content;
  content.bNetwork = chkNetwork->isChecked();
  content.slNetName = slNetName;
  content.slNetPsk = slNetPsk;
  content.bServer = chkServerIP->isChecked();
  content.sServerIP = editServerIP->text();
  content.sServerPort = editServerPort->text();
  content.bService = chkService->isChecked();
  const QString root = comboDrives->currentText();
  if (root.isEmpty() || !qmstick::WriteStick(root, content, drives_)) {
    showError(QStringLiteral("Failed to create necessary files on memory stick"));
    return;
  }
  showInfo(QStringLiteral("Memory stick created"));
  accept();
}
