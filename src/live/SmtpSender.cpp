#include "live/SmtpSender.h"

#include <curl/curl.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>

namespace {

// Text placed in a header or an SMTP command: a line break there would start a new one.
QString OneLine(QString text) {
  text.replace(QLatin1Char('\r'), QLatin1Char(' '));
  text.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return text;
}

bool ValidHost(const QString& host) {
  if (host.isEmpty()) return false;
  for (const QChar c : host) {
    const char16_t u = c.unicode();
    const bool ok = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
                    u == '.' || u == '-' || u == '_' || u == ':' || u == '[' || u == ']';
    if (!ok) return false;
  }
  return true;
}

struct UploadSource {
  QByteArray data;
  qsizetype offset = 0;
};

size_t ReadUpload(char* buffer, size_t size, size_t nitems, void* userdata) {
  auto* src = static_cast<UploadSource*>(userdata);
  const size_t room = size * nitems;
  const size_t left = static_cast<size_t>(src->data.size() - src->offset);
  const size_t n = left < room ? left : room;
  std::memcpy(buffer, src->data.constData() + src->offset, n);
  src->offset += static_cast<qsizetype>(n);
  return n;
}

int Progress(void* clientp, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const std::atomic<bool>*>(clientp)->load() ? 1 : 0;
}

// Once per process, never undone: a send left running at the end may still be using curl.
// Should it fail, curl_easy_init fails later and the send is logged as an exception.
void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

template <class T>
void SetOpt(CURL* curl, CURLoption option, T value) {
  if (curl_easy_setopt(curl, option, value) != CURLE_OK)
    throw std::runtime_error("curl_easy_setopt failed");
}

}  // namespace

QStringList AlertRecipients(const QString& sEmails) {
  QStringList out;
  for (const QString& piece : sEmails.split(QLatin1Char(';'), Qt::KeepEmptyParts))
    if (!piece.isEmpty()) out << OneLine(piece);
  return out;
}

QByteArray BuildAlertMessage(const TAlertMail& mail, const QStringList& lines,
                             const QDateTime& date) {
  const QByteArray from = OneLine(mail.sFrom).toUtf8();
  QByteArray m;
  const auto header = [&m](const char* name, const QByteArray& value) {
    m += name;
    m += ": ";
    m += value;
    m += "\r\n";
  };
  header("Date", date.toString(Qt::RFC2822Date).toLatin1());
  header("From", from);
  header("Sender", from);
  header("Reply-To", from);
  header("To", AlertRecipients(mail.sEmails).join(QStringLiteral(", ")).toUtf8());
  header("Subject", "Quietmark Alert");
  header("MIME-Version", "1.0");
  header("Content-Type", "text/plain; charset=utf-8");
  header("Content-Transfer-Encoding", "8bit");
  m += "\r\n";
  for (const QString& line : lines) {
    m += OneLine(line).toUtf8();
    m += "\r\n";
  }
  return m;
}

TCurlSmtpSender::TCurlSmtpSender(QString caFile) : caFile_(caFile.toLocal8Bit()) {
  // Before any thread uses curl.
  GlobalInit();
}

TSendOutcome TCurlSmtpSender::Send(const TAlertMail& mail, const QStringList& lines,
                                   const std::atomic<bool>& abort) {
  if (!ValidHost(mail.sHost) || mail.nPort < 1 || mail.nPort > 65535)
    return {TSendResult::ConnectFailed, QStringLiteral("invalid mail server address")};
  GlobalInit();

  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
  if (!curl) throw std::runtime_error("curl_easy_init failed");
  std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> rcpt(nullptr, curl_slist_free_all);
  for (const QString& to : AlertRecipients(mail.sEmails)) {
    curl_slist* next = curl_slist_append(rcpt.get(), to.toUtf8().constData());
    if (!next) throw std::bad_alloc();
    rcpt.release();
    rcpt.reset(next);
  }

  QString host = mail.sHost;
  if (host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('[')))
    host = QLatin1Char('[') + host + QLatin1Char(']');
  const QByteArray url =
      (QStringLiteral("smtp://") + host + QLatin1Char(':') + QString::number(mail.nPort)).toUtf8();
  const QByteArray from = OneLine(mail.sFrom).toUtf8();
  const QByteArray user = mail.sUser.toUtf8();
  const QByteArray pwd = mail.sPwd.toUtf8();
  UploadSource upload{BuildAlertMessage(mail, lines, mail.dtDate), 0};
  char error[CURL_ERROR_SIZE] = {};

  CURL* c = curl.get();
  SetOpt(c, CURLOPT_ERRORBUFFER, error);
  SetOpt(c, CURLOPT_URL, url.constData());
  SetOpt(c, CURLOPT_NOSIGNAL, 1L);
  SetOpt(c, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
  SetOpt(c, CURLOPT_TIMEOUT_MS, kTotalTimeoutMs);
  SetOpt(c, CURLOPT_MAIL_FROM, from.constData());
  SetOpt(c, CURLOPT_MAIL_RCPT, rcpt.get());
  SetOpt(c, CURLOPT_UPLOAD, 1L);
  SetOpt(c, CURLOPT_READFUNCTION, ReadUpload);
  SetOpt(c, CURLOPT_READDATA, &upload);
  SetOpt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(upload.data.size()));
  // Without a user name the server is used without logging in (an open relay on port 25).
  if (!user.isEmpty()) {
    SetOpt(c, CURLOPT_USERNAME, user.constData());
    SetOpt(c, CURLOPT_PASSWORD, pwd.constData());
    SetOpt(c, CURLOPT_LOGIN_OPTIONS, "AUTH=LOGIN");
  }
  if (mail.bSSL) {
    SetOpt(c, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    SetOpt(c, CURLOPT_SSLVERSION,
           long(CURL_SSLVERSION_TLSv1_0) | long(CURL_SSLVERSION_MAX_TLSv1_3));
    SetOpt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    SetOpt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!caFile_.isEmpty()) SetOpt(c, CURLOPT_CAINFO, caFile_.constData());
  }
  SetOpt(c, CURLOPT_NOPROGRESS, 0L);
  SetOpt(c, CURLOPT_XFERINFOFUNCTION, Progress);
  SetOpt(c, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(&abort));

  const CURLcode rc = curl_easy_perform(c);
  if (rc == CURLE_OK) return {TSendResult::Sent, QString()};

  const QString detail = QStringLiteral("curl error %1: %2")
                             .arg(int(rc))
                             .arg(QString::fromUtf8(*error ? error : curl_easy_strerror(rc)));
  // "Could not connect" means no TCP connection was made; anything after it is a send failure.
  curl_off_t connectTime = 0;
  curl_easy_getinfo(c, CURLINFO_CONNECT_TIME_T, &connectTime);
  const bool noConnection = rc == CURLE_COULDNT_CONNECT || rc == CURLE_COULDNT_RESOLVE_HOST ||
                            rc == CURLE_COULDNT_RESOLVE_PROXY || rc == CURLE_URL_MALFORMAT ||
                            (rc == CURLE_OPERATION_TIMEDOUT && connectTime == 0);
  return {noConnection ? TSendResult::ConnectFailed : TSendResult::SendFailed, detail};
}
