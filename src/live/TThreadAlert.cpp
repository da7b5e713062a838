#include "live/TThreadAlert.h"

#include "core/EventLog.h"

#include <QMetaObject>

#include <thread>

#ifdef __linux__
#include <pthread.h>
#endif

std::shared_ptr<TThreadAlert> TThreadAlert::Start(std::shared_ptr<TAlertShared> shared,
                                                  std::shared_ptr<IAlertSender> sender,
                                                  TAlertMail mail) {
  auto thread =
      std::make_shared<TThreadAlert>(std::move(shared), std::move(sender), std::move(mail));
  std::thread([thread] {
#ifdef __linux__
    pthread_setname_np(pthread_self(), "thalert");
#endif
    thread->Execute();
  }).detach();
  return thread;
}

TThreadAlert::TThreadAlert(std::shared_ptr<TAlertShared> shared,
                           std::shared_ptr<IAlertSender> sender, TAlertMail mail)
    : shared_(std::move(shared)), sender_(std::move(sender)), mail_(std::move(mail)) {}

void TThreadAlert::Execute() {
  try {
    QStringList texts;
    {
      std::lock_guard<std::mutex> hold(shared_->lockAlerts);
      texts.swap(shared_->tlAlerts);
    }
    const TSendOutcome outcome = sender_->Send(mail_, texts, shared_->bAbort);
    if (!outcome.detail.isEmpty())
      QueueAlertLog(QStringLiteral("TThreadAlert.Execute(): ") + outcome.detail, true);
    switch (outcome.result) {
      case TSendResult::Sent:
        QueueAlertLog(QStringLiteral("Alert sent to ") + mail_.sEmails);
        break;
      case TSendResult::ConnectFailed:
        QueueAlertLog(QStringLiteral("Failed to connect to mail server"));
        break;
      case TSendResult::SendFailed:
        QueueAlertLog(QStringLiteral("Failed to send alert email to ") + mail_.sEmails);
        break;
    }
  } catch (...) {
    try {
      QueueAlertLog(QStringLiteral("Exception sending alert email to ") + mail_.sEmails);
    } catch (...) {
    }
  }
  {
    std::lock_guard<std::mutex> hold(shared_->lockDone);
    shared_->bSending = false;
  }
  shared_->cvDone.notify_all();
}

void TThreadAlert::QueueAlertLog(const QString& s, bool debug) {
  {
    std::lock_guard<std::mutex> hold(lockLog_);
    tllog_.emplace_back(s, debug);
  }
  {
    // Posting under the lock: the owner cannot go between the check and the post.
    std::lock_guard<std::mutex> hold(shared_->lockOwner);
    if (!shared_->owner) return;
    QMetaObject::invokeMethod(
        shared_->owner, [self = shared_from_this()] { self->SyncAlertLog(); },
        Qt::QueuedConnection);
  }
  std::unique_lock<std::mutex> hold(lockLog_);
  // Short waits: the alert object may go without writing the log (program end).
  while (!tllog_.empty() && !shared_->bAbort) cvLog_.wait_for(hold, std::chrono::milliseconds(100));
}

void TThreadAlert::SyncAlertLog() {
  {
    // Written under the lock, so the thread sees an empty list only once they are in the log.
    std::lock_guard<std::mutex> hold(lockLog_);
    for (const auto& [text, debug] : tllog_) debug ? LogDebug(text) : LogMsg(text);
    tllog_.clear();
  }
  cvLog_.notify_all();
}
