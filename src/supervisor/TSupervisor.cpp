#include "supervisor/TSupervisor.h"

#include "core/Globals.h"
#include "download/TDownloader.h"
#include "live/Alarms.h"
#include "live/TQmAlert.h"
#include "platform/AppPaths.h"
#include "platform/LocalAddress.h"

TSupervisor::TSupervisor(ISupervisorUi* ui, Options options, QObject* parent)
    : QObject(parent), ui_(ui ? ui : &nullUi_), watchIp_(options.watchIp) {
  if (!options.env.showError)
    options.env.showError = [this](const QString& text) { ui_->ShowError(text); };
  const QString appData = options.env.appDataFolder;
  const QString programFolder = options.env.programFolder;
  cfg_ = std::make_unique<TCfg>(std::move(options.env));
  qmglobals::SetCfg(cfg_.get());
  runstat_ = std::make_unique<TRunstat>(options.args, programFolder, appData);
  qmglobals::SetRunstat(runstat_.get());
  runstat_->bRTLiveOnMin = cfg_->RTLive();
  runstat_->bHistoryOnMin = cfg_->History();
  alert_ = std::make_unique<TQmAlert>(*cfg_);
  log_ = std::make_unique<TEventLog>(runstat_.get());

  downloader_ = std::make_unique<TDownloader>(*this);
  alarms_ = std::make_unique<TAlarms>(*this, alert_.get());
  BuildCommandTable();

  timerUpdate.setInterval(100);
  timerUpdate.setTimerType(Qt::PreciseTimer);
  timerPing.setInterval(10000);
  timerAlarms.setInterval(1000);
  timerDownloads.setInterval(300000);
  connect(&timerUpdate, &QTimer::timeout, this, &TSupervisor::UpdateClients);
  connect(&timerPing, &QTimer::timeout, this, &TSupervisor::timerPingTimer);
  connect(&timerAlarms, &QTimer::timeout, this, [this] { alarms_->timerAlarmsTimer(); });
  connect(&timerDownloads, &QTimer::timeout, this, [this] { downloader_->DownloadAll(); });
}

TSupervisor::~TSupervisor() {
  server_.reset();
  alarms_.reset();
  if (qmglobals::Cfg() == cfg_.get()) qmglobals::SetCfg(nullptr);
  if (qmglobals::Runstat() == runstat_.get()) qmglobals::SetRunstat(nullptr);
}

void TSupervisor::LogStartup() {
  LogMsg(qmplatform::ExecutablePath());
  LogMsg(runstat_->sAppDataPath);
  LogMsg(cfg_->DataPath());
  LogMsg(QStringLiteral("Quietmark-SV v1.3.1"));
}

void TSupervisor::Start() {
  clients_ = std::make_unique<TClientList>();
  StartServer();
  // A data path that cannot be created is reported now; downloads wait until it can be.
  downloader_->CheckStorage();
  timerUpdate.start();
  timerPing.start();
  timerAlarms.start();
  timerDownloads.start();
  if (watchIp_) {
    ipWatcher_ = std::make_unique<qmplatform::IpWatcher>();
    connect(ipWatcher_.get(), &qmplatform::IpWatcher::statusChanged, this,
            [this](bool online, const QString& address) {
              LogMsg(online ? QStringLiteral("Online: ") + address : QStringLiteral("Offline"));
              ui_->ShowOnlineStatus(online, address);
            });
  }
}

void TSupervisor::Shutdown() {
  LogDebug(QStringLiteral("TFormMain.FormDestroy()"));
  pump_.Report();
  timerUpdate.stop();
  timerPing.stop();
  ipWatcher_.reset();
  StopServer();
  // Every row handed to the storage thread reaches its file before the log is saved, unless the
  // disk hangs.
  if (!storage_.WaitIdle(kStorageWaitMs))
    LogMsg(QStringLiteral("Shutdown: %1 files not written after %2 s")
               .arg(storage_.Pending())
               .arg(kStorageWaitMs / 1000));
  // A running alert gets a few seconds so its result reaches lastrun.log.
  alert_->Finish();
}

void TSupervisor::StartServer() {
  LogDebug(QStringLiteral("TFormMain.StartServer()"));
  int port = cfg_->Port();
  if (port < 0 || port > 65535) {
    // Only the low 16 bits would reach the socket: a port nobody asked for, without a word.
    LogMsg(QStringLiteral("Invalid port %1 in settings: using 53941").arg(port));
    port = 53941;
  }
  server_ = std::make_unique<TThreadServer>(this, port, &runstat_->bDebugLog);
}

void TSupervisor::StopServer() {
  LogMsg(QStringLiteral("StopServer()"));
  if (!server_) return;
  if (clients_) {
    TClientListHold hold(*clients_);
    for (int i = 0; i < clients_->Count(); ++i) clients_->GetClient(i)->Disconnect();
  }
  server_.reset();
}

bool TSupervisor::Send(const TCtx& ctx, const QString& line) {
  return server_ ? server_->Send(ctx, line) : false;
}

void TSupervisor::UpdateClients() {
  if (!clients_) {
    pump_.Tick(false, 0, 0);
    return;
  }
  const int writes = storage_.Pending();
  bool downloading = writes > 0;
  int connected = 0;
  // A deletion ends a walk of the list: the silent ones are collected first, then all dropped.
  std::vector<TCtx> silent;
  {
    TClientListHold hold(*clients_);
    for (int i = 0; i < clients_->Count(); ++i) {
      TDTClient* client = clients_->GetClient(i);
      if (!client) break;
      if (client->Connected()) {
        client->ProcessBuf();
        downloading = downloading || client->Downloading();
        ++connected;
      } else if (client->ctx && client->ctx->FirstLineWaiting()) {
        // Its lines wait in our queue behind other monitors' downloads: under load the
        // identification can take longer than the time-out to reach the handler.
      } else if (--client->nCnxTimeout <= 0) {
        LogMsg(client->ipadx + QStringLiteral(": no response to connection request"));
        silent.push_back(client->ctx);
      }
    }
  }
  pump_.Tick(downloading, writes, connected);
  for (const TCtx& ctx : silent) DeleteConnection(ctx);
  // Connection events only mark the table stale: a burst of them costs one refresh a tick.
  ui_->UpdateClientTable(tableStale_);
  tableStale_ = false;
}
