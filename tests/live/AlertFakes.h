#pragma once

#include "core/Clock.h"
#include "live/SmtpSender.h"
#include "live/TQmAlert.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <vector>

// Records every e-mail instead of sending it; can hold a send until released.
class FakeSender : public IAlertSender {
 public:
  struct Mail {
    TAlertMail mail;
    QStringList lines;
  };

  TSendOutcome Send(const TAlertMail& mail, const QStringList& lines,
                    const std::atomic<bool>& abort) override {
    std::unique_lock<std::mutex> lock(m_);
    mails_.push_back({mail, lines});
    while (hold && !(honourAbort && abort)) cv_.wait_for(lock, std::chrono::milliseconds(5));
    if (fail) throw std::runtime_error("unexpected");
    return outcome;
  }
  void Release() {
    std::lock_guard<std::mutex> lock(m_);
    hold = false;
    cv_.notify_all();
  }
  std::vector<Mail> Mails() {
    std::lock_guard<std::mutex> lock(m_);
    return mails_;
  }

  // Set before a send starts.
  bool hold = false;
  bool honourAbort = true;
  bool fail = false;
  TSendOutcome outcome{TSendResult::Sent, {}};

 private:
  std::mutex m_;
  std::condition_variable cv_;
  std::vector<Mail> mails_;
};

// A repeating timer that fires only when the test moves the clock past it.
class FakeAlertTimer : public IAlertTimer {
 public:
  void Start(int intervalMs) override {
    interval_ = intervalMs;
    active_ = true;
    due_ = qmclock::Now().addMSecs(intervalMs);
  }
  void Stop() override { active_ = false; }
  bool IsActive() const override { return active_; }
  int Interval() const override { return interval_; }

  // Moves the clock to t, firing every tick due on the way as a repeating timer does.
  void AdvanceTo(QDateTime& clock, const QDateTime& t) {
    while (active_ && due_ <= t) {
      clock = due_;
      due_ = due_.addMSecs(interval_);
      if (onTimeout) onTimeout();
    }
    clock = t;
  }

 private:
  bool active_ = false;
  int interval_ = 0;
  QDateTime due_;
};
