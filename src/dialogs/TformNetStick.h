#pragma once

#include "dialogs/NetStick.h"

#include <QDialog>
#include <QStringList>
#include <QTimer>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

// "Create Network Memory Stick": Wi-Fi networks, the Supervisor's address and the service
// switch, written to a removable drive.
class TformNetStick : public QDialog {
  Q_OBJECT
 public:
  TformNetStick(const qmplatform::IDrives& drives, const QString& localAddress, int serverPort,
                QWidget* parent = nullptr);

  void timerDrivesTimer();
  void btnAddClick();
  void btnClearListClick();
  void btnCreateClick();
  // The message boxes; tests replace them.
  std::function<void(const QString&)> showError;
  std::function<void(const QString&)> showInfo;

  QStringList slNetName;
  QStringList slNetPsk;

  QCheckBox* chkNetwork;
  QWidget* panelNetwork;
  QLineEdit* editNetName;
  QLineEdit* editNetPsk;
  QPushButton* btnAdd;
  QListWidget* listboxNetworks;
  QPushButton* btnClearList;
  QCheckBox* chkServerIP;
  QWidget* panelServer;
  QLineEdit* editServerIP;
  QLineEdit* editServerPort;
  QCheckBox* chkService;
  QLabel* lblService;
  QLabel* lblMemStick;
  QComboBox* comboDrives;
  QPushButton* btnCreate;
  QPushButton* btnCancel;
  QPushButton* btnHelp;
  QTimer timerDrives;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ApplyEnabling();

  const qmplatform::IDrives& drives_;
  qmstick::TDriveWatch watch_;
};
