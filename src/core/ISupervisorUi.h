#pragma once

#include "core/TCnx.h"

#include <QString>
#include <QStringList>

class IMonitorWindow;
class TDTClient;

// What the core asks of the main window. The display layer implements it; tests use fakes.
class ISupervisorUi {
 public:
  virtual ~ISupervisorUi() = default;
  // Creates the monitor's window, bound to the record; null when none can be made.
  virtual IMonitorWindow* CreateMonitorWindow(TDTClient* client) = 0;
  // Destroys the window the record points to.
  virtual void FreeMonitorWindow(IMonitorWindow* frame) = 0;
  virtual void UpdateClientTable(bool bForce) = 0;
  virtual void ClientSelected(const TCtx& ctx) = 0;
  virtual void ShowOnlineStatus(bool bOnline, const QString& address) = 0;
  // A tray notification (shown while minimised).
  virtual void ShowBalloon(const QString& title, const QString& text) = 0;
  // An error message; it must not block (nobody may be there to answer it).
  virtual void ShowError(const QString& text) = 0;
  // Hand-off to the remote settings dialog, when one is open: a monitor's "getsettings" reply
  // (the record's type and ID with the fields), and the outcome of its "setsettings".
  virtual void RemoteSettingsReply(const TCtx&, const QString& /*sType*/, const QString& /*sID*/,
                                   const QStringList& /*sl*/) {}
  virtual void RemoteSettingsSent(const TCtx&, bool /*bOK*/) {}
  // The live or history switch changed without the user (pause and resume while minimised).
  virtual void ShowLiveSwitch() {}
  virtual void ShowHistorySwitch() {}
  // Why downloaded data cannot be stored now, for the status bar; empty when it can.
  virtual void ShowStorageState(const QString&) {}
};

// Does nothing: the core runs headless with it.
class TNullSupervisorUi : public ISupervisorUi {
 public:
  IMonitorWindow* CreateMonitorWindow(TDTClient*) override { return nullptr; }
  void FreeMonitorWindow(IMonitorWindow*) override {}
  void UpdateClientTable(bool) override {}
  void ClientSelected(const TCtx&) override {}
  void ShowOnlineStatus(bool, const QString&) override {}
  void ShowBalloon(const QString&, const QString&) override {}
  void ShowError(const QString&) override {}
};
