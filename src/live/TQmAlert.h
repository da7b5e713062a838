#pragma once

#include "live/SmtpSender.h"
#include "live/TThreadAlert.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class TCfg;

// The rate-limit timer: a repeating timer on the interface thread. Tests replace it.
class IAlertTimer {
 public:
  virtual ~IAlertTimer() = default;
  // Starts (or restarts) with the interval; it then fires every intervalMs until stopped.
  virtual void Start(int intervalMs) = 0;
  virtual void Stop() = 0;
  virtual bool IsActive() const = 0;
  virtual int Interval() const = 0;
  std::function<void()> onTimeout;
};

class TQtAlertTimer : public IAlertTimer {
 public:
  TQtAlertTimer();
  void Start(int intervalMs) override;
  void Stop() override { timer_.stop(); }
  bool IsActive() const override { return timer_.isActive(); }
  int Interval() const override { return timer_.interval(); }

 private:
  QTimer timer_;
};

// E-mail alerts with a rate limit: an alert while the limit is not running is mailed at once and
// starts it; later ones are collected and mailed together when the interval is up. Interface
// thread only; each e-mail goes out on its own short-lived thread.
class TQmAlert : public QObject {
  Q_OBJECT
 public:
  // How long the end of the program waits for a running send.
  static constexpr int kFinishWaitMs = 3000;

  // The settings must outlive this object. Null sender: SMTP through libcurl; null timer: a
  // QTimer.
  explicit TQmAlert(TCfg& cfg, std::shared_ptr<IAlertSender> sender = nullptr,
                    std::unique_ptr<IAlertTimer> timer = nullptr, QObject* parent = nullptr);
  // Finish(kFinishWaitMs).
  ~TQmAlert() override;

  // True when a send started at once; false when the text was queued or dropped.
  bool SendAlert(const QString& sMsg);
  // Stops the rate limit and discards queued texts, unless a send is running.
  void ResetTimer();
  void timerAlertTimer();
  bool StartSend();

  // Waits up to waitMs for a running send, writing its log lines, then tells it to stop and
  // leaves it behind. No send starts afterwards. Call it before the log is saved at the end.
  void Finish(int waitMs = kFinishWaitMs);

  bool Sending() const { return shared_->bSending; }
  bool MsgToSend() const { return bMsgToSend; }
  IAlertTimer& Timer() { return *timerAlert; }

 private:
  // Writes the running send's waiting log lines; true once no send is running.
  bool WaitSend(int ms);

  TCfg& cfg_;
  std::shared_ptr<TAlertShared> shared_;
  std::shared_ptr<IAlertSender> sender_;
  std::unique_ptr<IAlertTimer> timerAlert;
  bool bMsgToSend = false;
  bool bFinished = false;
  std::weak_ptr<TThreadAlert> threadAlert;
};
