// The monitor's answers to the remote settings dialog, passed on to it through the main window.
#include "supervisor/TSupervisor.h"

bool TSupervisor::GetSettingsReply(TDTClient& client, const QStringList& fields) {
  if (fields.size() >= 2) ui_->RemoteSettingsReply(client.ctx, client.sType, client.sID, fields);
  return true;
}

bool TSupervisor::SetSettingsReply(TDTClient& client, const QStringList& fields) {
  if (fields.size() == 2) ui_->RemoteSettingsSent(client.ctx, fields[1] == QLatin1String("ok"));
  return true;
}
