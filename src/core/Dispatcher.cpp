// Connections, the command table and the handshake.
#include "core/IMonitorWindow.h"
#include "core/LogCut.h"
#include "core/TSupervisor.h"
#include "core/Text.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

void TSupervisor::NewConnection(const TCtx& ctx) {
  if (ctx && clients_) {
    TDTClient* client = nullptr;
    {
      TClientListHold hold(*clients_);
      client = clients_->GetClientFromCtx(ctx);
      if (!client) client = clients_->AddClient();
    }
    if (client) {
      client->ctx = ctx;
      client->ipadx = ctx->PeerAddress();
      Send(ctx, QStringLiteral("cnx"));
      LogMsg(client->ipadx + QStringLiteral(": connecting"));
    }
  }
  tableStale_ = true;
}

void TSupervisor::DeleteConnection(const TCtx& ctx) {
  if (clients_) {
    TClientListHold hold(*clients_);
    if (TDTClient* client = clients_->GetClientFromCtx(ctx)) {
      LogMsg(client->sID + QStringLiteral(": disconnected"));
      if (ctx) rxErrors_.Forget(ctx->Number());
      if (onDeleting) onDeleting(*client);
      client->Disconnect();
      if (client->frame) {
        IMonitorWindow* frame = client->frame;
        client->frame = nullptr;
        ui_->FreeMonitorWindow(frame);
      }
      clients_->DeleteClient(client);
    }
  }
  tableStale_ = true;
}

void TSupervisor::ServerRx(const TCtx& ctx, const QString& line) {
  LogDebug(QStringLiteral("TFormMain.ServerRx(): ") + qmlog::Cut(line) + CtxSuffix(ctx));
  if (!clients_) return;
  TDTClient* client = nullptr;
  {
    TClientListHold hold(*clients_);
    client = clients_->GetClientFromCtx(ctx);
  }
  if (client) ProcessCmd(*client, line);
}

void TSupervisor::ProcessCmd(TDTClient& client, const QString& line) {
  LogDebug(QStringLiteral("TFormMain.ProcessCmd(): ") + client.sID + QStringLiteral(" : ") +
           qmlog::Cut(line));
  const TCtx ctx = client.ctx;
  const QStringList f = qmtext::SplitStrict(line, QLatin1Char('&'));
  const QString& cmd = f.first();
  const qsizetype n = f.size();
  const QString none;
  auto field = [&](qsizetype i) -> const QString& { return i < n ? f[i] : none; };

  // The table is tested in order; at most one entry can match a line.
  bool handled = false;
  if (cmd == QLatin1String("cpdt") && n == 2) {
    handled = ConnectNs(client, QStringLiteral("Calmpoint-DT"), field(1), QString(), QString(),
                        QString());
  } else if (cmd == QLatin1String("cpng") && n == 5) {
    handled =
        ConnectNs(client, QStringLiteral("Quietmark-NG"), field(1), field(2), field(3), field(4));
  } else if (cmd == QLatin1String("cpse") && n == 4) {
    handled =
        ConnectNs(client, QStringLiteral("Quietmark-SE"), field(1), field(2), QString(), field(3));
  } else if (cmd == QLatin1String("cpse") && n == 5) {
    handled =
        ConnectNs(client, QStringLiteral("Quietmark-SE"), field(1), field(2), field(3), field(4));
  } else if (cmd == QLatin1String("pong") && (n == 1 || n == 2)) {
    handled = ProcessPong(client, f);
  } else if (cmd == QLatin1String("alarms") && n == 2) {
    handled = onAlarms(client, f);
  } else if (cmd == QLatin1String("live") && n >= 2) {
    handled = LiveRx(client, f);
  } else if (cmd == QLatin1String("live1s") && n >= 2) {
    handled = Live1sRx(client, f);
  } else if (cmd == QLatin1String("leqbuf") && n == 2) {
    handled = LeqBufRx(client, f);
  } else if (cmd == QLatin1String("alarm") && n == 1) {
    handled = onAlarm(client, f);
  } else if (cmd == QLatin1String("getsettings") && n >= 2) {
    handled = onGetSettings(client, f);
  } else if (cmd == QLatin1String("setsettings") && n == 2) {
    handled = onSetSettings(client, f);
  } else if (cmd == QLatin1String("per") && n == 6) {
    handled = onPer(client, f);
  } else if (cmd == QLatin1String("alm") && n >= 2) {
    handled = onAlm(client, f);
  } else if (cmd == QLatin1String("cal") && n >= 2) {
    handled = onCal(client, f);
  } else if (cmd == QLatin1String("prf") && n == 6) {
    handled = onPrf(client, f);
  } else if (cmd == QLatin1String("rebooting") && n == 1) {
    handled = true;
  }
  if (handled) return;
  Send(ctx, cmd + QStringLiteral("&error"));
  for (const QString& text :
       rxErrors_.Pass(ctx ? ctx->Number() : 0, QStringLiteral("rx error:") + qmlog::Cut(line)))
    LogMsg(text);
}

bool TSupervisor::ValidMonitorId(const QString& id) {
  if (id.isEmpty() || id == QLatin1String(".") || id == QLatin1String("..")) return false;
  // Long IDs bloat the monitor list and every greeting; the list file and hidden names are the
  // program's own in the data folder.
  if (id.size() > kMaxMonitorId || id.startsWith(QLatin1Char('.')) ||
      id.compare(QLatin1String("clientlist.csv"), Qt::CaseInsensitive) == 0)
    return false;
  for (const QChar c : id) {
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') ||
        c.unicode() < 32 || c.unicode() == 127)
      return false;
  }
  return true;
}

bool TSupervisor::ConnectNs(TDTClient& client, const QString& sType, const QString& sID,
                            const QString& sName, const QString& sDeviceUID,
                            const QString& sModules) {
  LogDebug(QStringLiteral("TFormMain.ConnectNs(): ") + sID);
  TDTClient* existing = nullptr;
  {
    TClientListHold hold(*clients_);
    existing = clients_->GetClientFromID(sID);
  }
  const TCtx ctx = client.ctx;  // DeleteConnection below frees the record
  if (existing) {
    LogMsg(sID + QStringLiteral(": duplicate name ctx:") +
           QString::number(ctx ? ctx->Number() : 0));
    DeleteConnection(ctx);
  } else if (!ValidMonitorId(sID)) {
    // The ID names the monitor's folder: one that could leave the data folder is refused.
    QString shown = qmlog::Cut(sID);
    for (QChar& c : shown)
      if (c.unicode() < 32 || c.unicode() == 127) c = QLatin1Char('?');
    LogMsg(shown + QStringLiteral(": invalid monitor ID"));
    DeleteConnection(ctx);
    return true;
  } else {
    client.sType = sType;
    client.sID = sID;
    client.sName = sName.isEmpty() ? sID : sName;
    client.sDeviceUID = sDeviceUID;
    client.sModules = sModules;
    client.Connect();
    client.frame = ui_->CreateMonitorWindow(&client);
    client.SaveTermInfo();
    LogMsg(sType + QStringLiteral(":") + sID + QStringLiteral(" - connected on ") + client.ipadx +
           QStringLiteral(" ctx:") + QString::number(ctx ? ctx->Number() : 0));
    tableStale_ = true;
    ui_->ClientSelected(ctx);
    SyncClock(client);
    ChangeClientRate(client);
    ChangeHistoryRate(client);
    if (onConnected) onConnected(client);
  }
  if (!sID.isEmpty()) AddToClientListCsv(sID);
  return true;
}

void TSupervisor::AddToClientListCsv(const QString& id) {
  const QString path = cfg_->DataPath() + QStringLiteral("clientlist.csv");
  QStringList ids;
  QFile in(path);
  if (in.exists()) {
    if (!in.open(QIODevice::ReadOnly)) {
      LogMsg(QStringLiteral("Failed to read ") + path);
      return;  // never overwrite a list that could not be read
    }
    ids = qmtext::SplitLines(in.readAll());
  }
  for (const QString& known : ids)
    if (known.compare(id, Qt::CaseInsensitive) == 0) return;
  ids.append(id);
  QSaveFile out(path);
  const QByteArray bytes = qmtext::JoinCrLf(ids);
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
    LogMsg(QStringLiteral("Failed to write ") + path);
}

bool TSupervisor::ProcessPong(TDTClient& client, const QStringList& fields) {
  client.bPinged = false;
  if (fields.size() > 1) {
    if (const auto signal = qmtext::ToInt(fields[1])) client.SignalStrength(*signal);
  }
  return true;
}
