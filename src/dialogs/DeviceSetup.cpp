#include "dialogs/DeviceSetup.h"

#include "dialogs/TformFindByIP.h"
#include "dialogs/TformFindClients.h"
#include "dialogs/TformNetStick.h"
#include "platform/LocalAddress.h"

void ShowFindClients(QWidget* parent, TClientList& clients, int serverPort) {
  TformFindClients dialog(TFindSearch::Env::Live(&clients, serverPort), parent);
  dialog.exec();
}

void ShowFindByIP(QWidget* parent, TClientList& clients, int serverPort) {
  TformFindByIP dialog(TFindSearch::Env::Live(&clients, serverPort), parent);
  dialog.exec();
}

void ShowNetStick(QWidget* parent, int serverPort) {
  const qmplatform::LinuxDrives drives;
  TformNetStick dialog(drives, qmplatform::LocalIPv4Address(), serverPort, parent);
  dialog.exec();
}
