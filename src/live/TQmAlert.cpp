#include "live/TQmAlert.h"

#include "core/Clock.h"
#include "core/EventLog.h"
#include "core/TCfg.h"

#include <QElapsedTimer>

#include <algorithm>

namespace {

// Whole minutes a QTimer can hold; a rate below one minute would mail on every alarm.
int AlertIntervalMs(int nAlertRate) {
  constexpr int kMaxMinutes = 35791;  // 35791 * 60000 still fits an int
  return std::clamp(nAlertRate, 1, kMaxMinutes) * 60000;
}

}  // namespace

TQtAlertTimer::TQtAlertTimer() {
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    if (onTimeout) onTimeout();
  });
}

void TQtAlertTimer::Start(int intervalMs) {
  timer_.setInterval(intervalMs);
  timer_.start();
}

TQmAlert::TQmAlert(TCfg& cfg, std::shared_ptr<IAlertSender> sender,
                   std::unique_ptr<IAlertTimer> timer, QObject* parent)
    : QObject(parent),
      cfg_(cfg),
      shared_(std::make_shared<TAlertShared>()),
      sender_(sender ? std::move(sender) : std::make_shared<TCurlSmtpSender>()),
      timerAlert(timer ? std::move(timer) : std::make_unique<TQtAlertTimer>()) {
  shared_->owner = this;
  timerAlert->onTimeout = [this] { timerAlertTimer(); };
  ResetTimer();
}

TQmAlert::~TQmAlert() {
  Finish();
  timerAlert->onTimeout = nullptr;
}

bool TQmAlert::SendAlert(const QString& sMsg) {
  if (shared_->bSending || bFinished) return false;
  {
    std::lock_guard<std::mutex> hold(shared_->lockAlerts);
    shared_->tlAlerts << qmclock::Now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) +
                             QLatin1Char(' ') + sMsg;
  }
  if (timerAlert->IsActive()) {
    bMsgToSend = true;
    return false;
  }
  if (!StartSend()) return false;
  timerAlert->Start(AlertIntervalMs(cfg_.AlertRate()));
  return true;
}

void TQmAlert::ResetTimer() {
  if (shared_->bSending) return;
  timerAlert->Stop();
  {
    std::lock_guard<std::mutex> hold(shared_->lockAlerts);
    shared_->tlAlerts.clear();
  }
  bMsgToSend = false;
}

void TQmAlert::timerAlertTimer() {
  if (bMsgToSend)
    StartSend();
  else
    timerAlert->Stop();
}

bool TQmAlert::StartSend() {
  bMsgToSend = false;
  if (bFinished) return false;
  // The settings as they are now; the thread never reads them itself.
  TAlertMail mail;
  mail.sHost = cfg_.SmtpHost();
  mail.nPort = cfg_.SmtpPort();
  mail.sUser = cfg_.SmtpUser();
  mail.sPwd = cfg_.SmtpPwd();
  mail.bSSL = cfg_.SmtpSSL();
  mail.sFrom = cfg_.AlertFrom();
  mail.sEmails = cfg_.AlertEmails();
  mail.dtDate = qmclock::Now();
  shared_->bSending = true;
  try {
    threadAlert = TThreadAlert::Start(shared_, sender_, std::move(mail));
  } catch (const std::exception&) {
    shared_->bSending = false;
    {
      std::lock_guard<std::mutex> hold(shared_->lockAlerts);
      shared_->tlAlerts.clear();
    }
    LogMsg(QStringLiteral("Exception sending alert email to ") + cfg_.AlertEmails());
    return false;
  }
  return true;
}

bool TQmAlert::WaitSend(int ms) {
  QElapsedTimer elapsed;
  elapsed.start();
  for (;;) {
    if (auto thread = threadAlert.lock()) thread->SyncAlertLog();
    std::unique_lock<std::mutex> hold(shared_->lockDone);
    const int left = ms - int(elapsed.elapsed());
    if (!shared_->bSending) return true;
    if (left <= 0) return false;
    shared_->cvDone.wait_for(hold, std::chrono::milliseconds(std::min(left, 20)));
  }
}

void TQmAlert::Finish(int waitMs) {
  if (bFinished) return;
  bFinished = true;
  timerAlert->Stop();
  if (!WaitSend(waitMs)) {
    // Ask the thread to give up; curl notices within about a second.
    shared_->bAbort = true;
    WaitSend(1500);
  }
  shared_->bAbort = true;
  std::lock_guard<std::mutex> hold(shared_->lockOwner);
  shared_->owner = nullptr;
}
