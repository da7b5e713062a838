// The main window's side of the remote settings dialog: opening it and handing it the replies.
#include "dialogs/RemoteMonitor.h"
#include "dialogs/TformCfgDt.h"
#include "display/TformMain.h"

#include <QTimer>

void TformMain::menuitemCfgClick(const TCtx& ctx, const QString& sID, const QString& sName) {
  // Not inside the window's menu: the window may go with its monitor while the dialog is open.
  QTimer::singleShot(0, this, [this, ctx, sID, sName] {
    TSupervisorRemote remote(*sup_);
    TformCfgDt::Open(this, remote, ctx, sID, sName);
  });
}

void TformMain::RemoteSettingsReply(const TCtx& ctx, const QString& sType, const QString& sID,
                                    const QStringList& sl) {
  TformCfgDt::GetSettingsReply(ctx, sType, sID, sl);
}

void TformMain::RemoteSettingsSent(const TCtx& ctx, bool bOK) {
  TformCfgDt::SetSettingsReply(ctx, bOK);
}
