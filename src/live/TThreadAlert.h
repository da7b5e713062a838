#pragma once

#include "live/SmtpSender.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

// What the alert object shares with its sending threads. Held by shared pointer so that a thread
// still running when the alert object goes never touches freed memory.
struct TAlertShared {
  // Texts waiting for the next e-mail, in arrival order.
  std::mutex lockAlerts;
  QStringList tlAlerts;

  // True from StartSend to the end of the sending thread.
  std::atomic<bool> bSending{false};
  // Set when the alert object goes: the thread stops talking to the server and drops its log.
  std::atomic<bool> bAbort{false};

  // The interface-thread object that writes the thread's log lines; null once it is gone.
  std::mutex lockOwner;
  QObject* owner = nullptr;

  // Signalled when a thread ends.
  std::mutex lockDone;
  std::condition_variable cvDone;
};

// One send on its own thread ("thalert"); it frees itself when it ends.
class TThreadAlert : public std::enable_shared_from_this<TThreadAlert> {
 public:
  // Starts the thread; returns it (weakly held by the caller). Throws when no thread can start.
  static std::shared_ptr<TThreadAlert> Start(std::shared_ptr<TAlertShared> shared,
                                             std::shared_ptr<IAlertSender> sender, TAlertMail mail);

  TThreadAlert(std::shared_ptr<TAlertShared> shared, std::shared_ptr<IAlertSender> sender,
               TAlertMail mail);

  // On the sending thread: hands the text to the interface thread and waits until it is written
  // (or the alert object is gone).
  void QueueAlertLog(const QString& s, bool debug = false);
  // On the interface thread: writes the waiting texts to the log.
  void SyncAlertLog();

 private:
  void Execute();

  std::shared_ptr<TAlertShared> shared_;
  std::shared_ptr<IAlertSender> sender_;
  const TAlertMail mail_;

  std::mutex lockLog_;
  std::condition_variable cvLog_;
  std::vector<std::pair<QString, bool>> tllog_;  // text, debug line
};
