#pragma once

#include "core/EventLog.h"
#include "core/IMonitorLink.h"
#include "core/ISupervisorUi.h"
#include "core/RepeatFilter.h"
#include "core/StorageQueue.h"
#include "core/TCfg.h"
#include "core/TClientList.h"
#include "core/TRunstat.h"
#include "core/TThreadServer.h"
#include "supervisor/CommandTable.h"
#include "supervisor/PumpStats.h"

#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <memory>

class TAlarms;
class TDownloader;
class TQmAlert;

namespace qmplatform {
class IpWatcher;
}

// The core of the program: settings, run-time status, log, monitor records, server, the main
// timers, and the handling of connections and received lines. Lives on the interface thread.
class TSupervisor : public QObject, public IServerHost, public IMonitorLink {
  Q_OBJECT
 public:
  // A handler of a received line: the record and the fields; true when the line was handled.
  using Handler = TCommandTable::Handler;

  struct Options {
    QStringList args;  // whole command line, program path first
    TCfg::Env env;
    bool watchIp = true;
  };

  // Creates the settings, the run-time status and the log, in that order.
  TSupervisor(ISupervisorUi* ui, Options options, QObject* parent = nullptr);
  ~TSupervisor() override;

  TCfg& Cfg() override { return *cfg_; }
  TRunstat& Runstat() override { return *runstat_; }
  TEventLog& Log() { return *log_; }
  TClientList& Clients() override { return *clients_; }
  TThreadServer* Server() { return server_.get(); }
  TDownloader& Downloader() { return *downloader_; }
  TQmAlert& Alert() { return *alert_; }
  TAlarms& Alarms() { return *alarms_; }
  ISupervisorUi& Ui() override { return *ui_; }
  TStorageQueue& Storage() override { return storage_; }
  void SetUi(ISupervisorUi* ui) { ui_ = ui ? ui : &nullUi_; }

  // The start-up log lines, the monitor list, the server and the timers.
  void LogStartup();
  void Start();
  // Timers off, server stopped, pending file writes awaited (at most kStorageWaitMs).
  void Shutdown();
  static constexpr int kStorageWaitMs = 10000;

  void StartServer();
  void StopServer();
  bool Send(const TCtx& ctx, const QString& line) override;
  int CnxCount() const { return server_ ? server_->CnxCount() : 0; }

  // Server hand-overs.
  void NewConnection(const TCtx& ctx) override;
  void DeleteConnection(const TCtx& ctx) override;
  void ServerRx(const TCtx& ctx, const QString& line) override;
  void Log(const QString& text) override { LogMsg(text); }
  void Debug(const QString& text) override { LogDebug(text); }

  // True when the line was handled; otherwise the monitor gets the error reply.
  bool ProcessCmd(TDTClient& client, const QString& line);
  // Registers the handler of a command of the table (e.g. "getsettings" and "setsettings" for
  // the remote-settings dialog); false when the table has no such command.
  bool RegisterHandler(const QString& cmd, Handler handler);
  bool ConnectNs(TDTClient& client, const QString& sType, const QString& sID, const QString& sName,
                 const QString& sDeviceUID, const QString& sModules);
  bool ProcessPong(TDTClient& client, const QStringList& fields);
  // Replies to the remote settings dialog's requests; always handled, dialog open or not.
  bool GetSettingsReply(TDTClient& client, const QStringList& fields);
  bool SetSettingsReply(TDTClient& client, const QStringList& fields);
  static bool ValidMonitorId(const QString& id);
  void AddToClientListCsv(const QString& id);

  void UpdateClients();
  void timerPingTimer();
  void SyncClock(TDTClient& client);

  // Live streams.
  void ChangeClientRate(TDTClient& client);
  void ChangeHistoryRate(TDTClient& client);
  void ChangeClientRates();
  void ChangeHistoryRates();
  bool LiveRx(TDTClient& client, const QStringList& fields);
  bool Live1sRx(TDTClient& client, const QStringList& fields);
  bool LeqBufRx(TDTClient& client, const QStringList& fields);
  // Pause and resume of both streams while the main window is minimised.
  void PauseStreams(TRunstat::TWindowState state);
  void ResumeStreams();

  QTimer timerUpdate;
  QTimer timerPing;
  QTimer timerAlarms;
  QTimer timerDownloads;

 private:
  void BuildCommandTable();
  void ShowLiveStateAndApply();
  void ShowHistoryStateAndApply();

  TNullSupervisorUi nullUi_;
  // Declared before everything that posts to it: destroyed after them, it drops their
  // completions unrun.
  TStorageQueue storage_;
  // The IDs known to be in clientlist.csv, by the list's path.
  QSet<QString> listedIds_;
  TRepeatFilter rxErrors_;
  ISupervisorUi* ui_;
  std::unique_ptr<TCfg> cfg_;
  std::unique_ptr<TRunstat> runstat_;
  std::unique_ptr<TEventLog> log_;
  std::unique_ptr<TClientList> clients_;
  std::unique_ptr<TThreadServer> server_;
  std::unique_ptr<qmplatform::IpWatcher> ipWatcher_;
  std::unique_ptr<TQmAlert> alert_;
  std::unique_ptr<TDownloader> downloader_;
  std::unique_ptr<TAlarms> alarms_;
  TCommandTable commands_;
  bool watchIp_;
  bool tableStale_ = false;
  TPumpStats pump_;
};
