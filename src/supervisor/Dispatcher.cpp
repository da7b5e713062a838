// Connections, the command table and the handshake.
#include "core/IMonitorWindow.h"
#include "core/LogCut.h"
#include "core/MonitorFolder.h"
#include "core/SaveLines.h"
#include "core/Text.h"
#include "download/TDownloader.h"
#include "live/Alarms.h"
#include "supervisor/TSupervisor.h"

#include <QDir>
#include <QFile>

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
      client->Disconnect();
      downloader_->Forget(*client);
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
  if (DebugLogging())
    LogDebug(QStringLiteral("TFormMain.ServerRx(): ") + qmlog::Cut(line) + CtxSuffix(ctx));
  if (!clients_) return;
  TDTClient* client = nullptr;
  {
    TClientListHold hold(*clients_);
    client = clients_->GetClientFromCtx(ctx);
  }
  if (client) ProcessCmd(*client, line);
}

void TSupervisor::BuildCommandTable() {
  using namespace std::placeholders;
  const qsizetype any = TCommandTable::kNoLimit;
  auto identify = [this](QString type, bool name, bool uid) {
    return [this, type, name, uid](TDTClient& client, const QStringList& f) {
      // cpdt&ID, cpng&ID&name&UID&modules, cpse&ID&name[&UID]&modules
      const qsizetype n = f.size();
      return ConnectNs(client, type, f.value(1), name ? f.value(2) : QString(),
                       uid && n == 5 ? f.value(3) : QString(), n >= 4 ? f.value(n - 1) : QString());
    };
  };
  TDownloader* d = downloader_.get();
  TAlarms* a = alarms_.get();
  commands_.Add(QStringLiteral("cpdt"), 2, 2,
                identify(QStringLiteral("Calmpoint-DT"), false, false));
  commands_.Add(QStringLiteral("cpng"), 5, 5, identify(QStringLiteral("Quietmark-NG"), true, true));
  commands_.Add(QStringLiteral("cpse"), 4, 5, identify(QStringLiteral("Quietmark-SE"), true, true));
  commands_.Add(QStringLiteral("pong"), 1, 2, std::bind(&TSupervisor::ProcessPong, this, _1, _2));
  commands_.Add(QStringLiteral("alarms"), 2, 2, std::bind(&TAlarms::AlarmsRx, a, _1, _2));
  commands_.Add(QStringLiteral("live"), 2, any, std::bind(&TSupervisor::LiveRx, this, _1, _2));
  commands_.Add(QStringLiteral("live1s"), 2, any, std::bind(&TSupervisor::Live1sRx, this, _1, _2));
  commands_.Add(QStringLiteral("leqbuf"), 2, 2, std::bind(&TSupervisor::LeqBufRx, this, _1, _2));
  commands_.Add(QStringLiteral("alarm"), 1, 1,
                [a](TDTClient& c, const QStringList&) { return a->AlarmRx(c); });
  // Passed on to the remote-settings dialog through the main window.
  commands_.Add(QStringLiteral("getsettings"), 2, any,
                std::bind(&TSupervisor::GetSettingsReply, this, _1, _2));
  commands_.Add(QStringLiteral("setsettings"), 2, 2,
                std::bind(&TSupervisor::SetSettingsReply, this, _1, _2));
  commands_.Add(QStringLiteral("per"), 6, 6, std::bind(&TDownloader::PerRx, d, _1, _2));
  commands_.Add(QStringLiteral("alm"), 2, any, std::bind(&TDownloader::AlmRx, d, _1, _2));
  commands_.Add(QStringLiteral("cal"), 2, any, std::bind(&TDownloader::CalRx, d, _1, _2));
  commands_.Add(QStringLiteral("prf"), 6, 6, std::bind(&TDownloader::PrfRx, d, _1, _2));
  commands_.Add(QStringLiteral("rebooting"), 1, 1);
}

bool TSupervisor::RegisterHandler(const QString& cmd, Handler handler) {
  return commands_.SetHandler(cmd, std::move(handler));
}

bool TSupervisor::ProcessCmd(TDTClient& client, const QString& line) {
  if (DebugLogging())
    LogDebug(QStringLiteral("TFormMain.ProcessCmd(): ") + client.sID + QStringLiteral(" : ") +
             qmlog::Cut(line));
  const TCtx ctx = client.ctx;  // a handler may free the record
  const QStringList f = qmtext::SplitStrict(line, QLatin1Char('&'));
  if (commands_.Dispatch(client, f)) return true;
  Send(ctx, f.first() + QStringLiteral("&error"));
  for (const QString& text :
       rxErrors_.Pass(ctx ? ctx->Number() : 0, QStringLiteral("rx error:") + qmlog::Cut(line)))
    LogMsg(text);
  return false;
}

bool TSupervisor::ValidMonitorId(const QString& id) { return qmfolder::ValidMonitorId(id); }

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
    client.SaveTermInfo(&storage_);
    LogMsg(sType + QStringLiteral(":") + sID + QStringLiteral(" - connected on ") + client.ipadx +
           QStringLiteral(" ctx:") + QString::number(ctx ? ctx->Number() : 0));
    tableStale_ = true;
    ui_->ClientSelected(ctx);
    SyncClock(client);
    ChangeClientRate(client);
    ChangeHistoryRate(client);
    downloader_->StartDownloads(client);
  }
  if (!sID.isEmpty()) AddToClientListCsv(sID);
  return true;
}

void TSupervisor::AddToClientListCsv(const QString& id) {
  const QString path = cfg_->DataPath() + QStringLiteral("clientlist.csv");
  // Each ID is looked up once a run; the list is read and rewritten on a storage thread, whose
  // jobs for one file run in order.
  const QString listed = path + QLatin1Char('\n') + id.toCaseFolded();
  if (listedIds_.contains(listed)) return;
  listedIds_.insert(listed);
  auto failure = std::make_shared<QString>();
  storage_.Post(
      path,
      [path, id, failure] {
        QStringList ids;
        QFile in(path);
        if (in.exists()) {
          if (!in.open(QIODevice::ReadOnly)) {
            *failure = QStringLiteral("Failed to read ") + path;
            return;  // never overwrite a list that could not be read
          }
          ids = qmtext::SplitLines(in.readAll());
        }
        for (const QString& known : ids)
          if (known.compare(id, Qt::CaseInsensitive) == 0) return;
        ids.append(id);
        if (!qmtext::SaveLines(path, ids)) *failure = QStringLiteral("Failed to write ") + path;
      },
      [this, listed, failure] {
        if (failure->isEmpty()) return;
        LogMsg(*failure);
        listedIds_.remove(listed);  // tried again at the next identification
      });
}

bool TSupervisor::ProcessPong(TDTClient& client, const QStringList& fields) {
  client.bPinged = false;
  if (fields.size() > 1) {
    if (const auto signal = qmtext::ToInt(fields[1])) client.SignalStrength(*signal);
  }
  return true;
}
