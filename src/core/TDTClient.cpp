#include "core/TDTClient.h"

#include "core/EventLog.h"
#include "core/Globals.h"
#include "core/IMonitorWindow.h"
#include "core/IniFile.h"
#include "core/MonitorFolder.h"
#include "core/TCfg.h"
#include "core/TermCfgWrite.h"

TDTClient::TDTClient() { LogDebug(QStringLiteral("TDTClient.Create()")); }

void TDTClient::Connect() {
  LogDebug(QStringLiteral("TDTClient.Connect(): ") + sID);
  bConnected = true;
  bPinged = false;
}

void TDTClient::Disconnect() {
  LogDebug(QStringLiteral("TDTClient.Disconnect(): ") + sID);
  if (ctx) {
    ctx->Close();
    ctx.reset();
  }
  bConnected = false;
}

QString TDTClient::Folder() const {
  TCfg* cfg = qmglobals::Cfg();
  return cfg ? qmfolder::MonitorFolder(cfg->DataPath(), sID) : QString();
}

void TDTClient::SaveTermInfo(TStorageQueue* storage) {
  const QString folder = Folder();
  if (folder.isEmpty()) return;
  // One write for the three keys, none when they are stored already.
  qmfolder::WriteTermCfg(storage, folder, QStringLiteral("head"),
                         {{QStringLiteral("id"), sID},
                          {QStringLiteral("name"), sName},
                          {QStringLiteral("type"), sType}});
}

void TDTClient::SignalStrength(int nSignal) {
  if (frame) frame->SignalStrength(nSignal);
}

void TDTClient::ProcessBuf() {
  if (!bConnected) return;
  if (flLedLev > 0) {
    if (DebugLogging()) LogDebug(QStringLiteral("TDTClient.ProcessBuf(): ") + sID);
    if (frame) frame->LedLevel(flLedLev, leds);
  }
  flLedLev = -1;
  if (flLeq1s > 0 && frame) frame->Leq1s(flLeq1s, leds);
  flLeq1s = -1;
}

void TDTClient::ShowLeds() {
  LogDebug(QStringLiteral("TDTClient.ShowLeds(): ") + sID);
  if (!frame) return;
  frame->ShowPanels();
  frame->Reposition();
}

void TDTClient::UpdateLeqBuf(const QString& sCsBuf) {
  LogDebug(QStringLiteral("TDTClient.UpdateLeqBuf()"));
  if (frame) frame->UpdateLeqBuf(sCsBuf);
}

QString ReadTermInfo(const QString& folderName, const QString& key) {
  TCfg* cfg = qmglobals::Cfg();
  if (!cfg) return {};
  return IniFile(qmfolder::TermCfgPath(qmfolder::MonitorFolder(cfg->DataPath(), folderName)))
      .ReadString(QStringLiteral("head"), key, QString());
}
