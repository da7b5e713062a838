#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <atomic>

// The e-mail settings of one send, copied on the interface thread when the send starts.
struct TAlertMail {
  QString sHost;
  int nPort = 25;
  QString sUser;
  QString sPwd;
  bool bSSL = false;
  QString sFrom;
  QString sEmails;   // addresses separated by ";"
  QDateTime dtDate;  // the message's date: when the send started
};

enum class TSendResult { Sent, ConnectFailed, SendFailed };

struct TSendOutcome {
  TSendResult result = TSendResult::SendFailed;
  QString detail;  // the mail client's own reason, for the debug log
};

// Sends one alert e-mail. Called on the alert thread; must be safe to call from any thread.
// Throws on unexpected failures (no resources); stops early once abort becomes true.
class IAlertSender {
 public:
  virtual ~IAlertSender() = default;
  virtual TSendOutcome Send(const TAlertMail& mail, const QStringList& lines,
                            const std::atomic<bool>& abort) = 0;
};

// The recipients: the pieces of the address list split at ";", as written; empty pieces are
// left out since no server accepts an empty address.
QStringList AlertRecipients(const QString& sEmails);

// The whole message as sent: headers, blank line, one body line per text, CR LF line ends.
QByteArray BuildAlertMessage(const TAlertMail& mail, const QStringList& lines,
                             const QDateTime& date);

// SMTP through libcurl: AUTH LOGIN, required STARTTLS when bSSL, server certificate verified
// against the system's trusted certificates (or caFile when given).
class TCurlSmtpSender : public IAlertSender {
 public:
  static constexpr long kConnectTimeoutMs = 3000;
  // A stalled server must not keep the thread forever.
  static constexpr long kTotalTimeoutMs = 60000;

  explicit TCurlSmtpSender(QString caFile = QString());
  TSendOutcome Send(const TAlertMail& mail, const QStringList& lines,
                    const std::atomic<bool>& abort) override;

 private:
  const QByteArray caFile_;
};
