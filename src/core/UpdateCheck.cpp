#include "core/UpdateCheck.h"

#include "core/Vendor.h"

#include <QDate>
#include <QRegularExpression>

#include <curl/curl.h>

#include <charconv>
#include <mutex>

qint64 VersionNumber(const QString& text) {
  static const QRegularExpression separators(QStringLiteral("[.\\s\\x00-\\x1f\\x7f]"));
  // Leading and trailing separators do not make empty parts.
  static const QRegularExpression edges(
      QStringLiteral("^[.\\s\\x00-\\x1f\\x7f]+|[.\\s\\x00-\\x1f\\x7f]+$"));
  const QStringList parts = QString(text).remove(edges).split(separators);
  if (parts.size() < 3) return -1;
  qint64 number = 0;
  for (int i = 0; i < 3; ++i) {
    const QByteArray digits = parts[i].toLatin1();
    int value = 0;
    const char* end = digits.constData() + digits.size();
    const auto [ptr, ec] = std::from_chars(digits.constData(), end, value);
    // Whole, non-negative numbers only; a sign or a letter makes the text unreadable.
    if (digits.isEmpty() || digits[0] == '-' || ec != std::errc() || ptr != end) return -1;
    number = number * (i == 0 ? 1 : 256) + value;
  }
  return number;
}

QString UpdateBaseUrl() {
  const QString env = qEnvironmentVariable("QMSV_UPDATE_URL");
  QString base = env.isEmpty() ? QString::fromLatin1(qmvendor::kUpdateBaseUrl) : env;
  while (base.endsWith(u'/')) base.chop(1);
  return base;
}

QString UpdateInstallUrl() { return UpdateBaseUrl() + QStringLiteral("/install/"); }

QByteArray UpdateRequestBody(const QDateTime& local) {
  const qint64 days = QDate(1899, 12, 30).daysTo(local.date());
  const qint64 seconds = days * 86400 + local.time().msecsSinceStartOfDay() / 1000;
  return "action=svver&x=" + QByteArray::number(seconds);
}

namespace {

size_t Collect(char* data, size_t size, size_t count, void* userp) {
  auto* reply = static_cast<QByteArray*>(userp);
  const size_t n = size * count;
  // Returning less than given stops the transfer with a write error.
  if (reply->size() + qsizetype(n) > TUpdateCheck::kMaxReply) return 0;
  reply->append(data, qsizetype(n));
  return n;
}

}  // namespace

struct TUpdateCheck::Shared {
  CURLM* multi = nullptr;
  std::atomic<bool> cancel{false};
};

TUpdateCheck::TUpdateCheck(QObject* parent) : QObject(parent), shared_(std::make_shared<Shared>()) {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

TUpdateCheck::~TUpdateCheck() {
  if (worker_.joinable()) {
    shared_->cancel = true;
    curl_multi_wakeup(shared_->multi);
    worker_.join();
  }
  if (shared_->multi) curl_multi_cleanup(shared_->multi);
}

void TUpdateCheck::Start(const QString& url, const QByteArray& body) {
  if (worker_.joinable() || shared_->multi) return;
  shared_->multi = curl_multi_init();
  worker_ = std::thread([this, shared = shared_, url = url.toUtf8(), body] {
    QByteArray reply;
    long status = 0;
    CURLcode rc = CURLE_FAILED_INIT;
    CURL* easy = curl_easy_init();
    if (easy && shared->multi) {
      curl_easy_setopt(easy, CURLOPT_URL, url.constData());
      curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
      curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
      curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(kTimeoutMs));
      // Sets the form content type.
      curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.constData());
      curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, long(body.size()));
      curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, Collect);
      curl_easy_setopt(easy, CURLOPT_WRITEDATA, &reply);
      curl_multi_add_handle(shared->multi, easy);
      int running = 1;
      while (running && !shared->cancel) {
        if (curl_multi_perform(shared->multi, &running) != CURLM_OK) break;
        if (running) curl_multi_poll(shared->multi, nullptr, 0, 1000, nullptr);
      }
      int left = 0;
      while (CURLMsg* msg = curl_multi_info_read(shared->multi, &left))
        if (msg->msg == CURLMSG_DONE) rc = msg->data.result;
      curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
      curl_multi_remove_handle(shared->multi, easy);
    }
    if (easy) curl_easy_cleanup(easy);
    if (shared->cancel) return;
    TUpdateResult result = TUpdateResult::Failed;
    const QString text = QString::fromLatin1(reply);
    if (rc == CURLE_OK && status > 0 && status < 400)
      result = VersionNumber(text) > VersionNumber(QString::fromLatin1(kProgramVersion))
                   ? TUpdateResult::NewVersion
                   : TUpdateResult::UpToDate;
    // Queued to this object: dropped with it when the owner is gone first.
    QMetaObject::invokeMethod(
        this, [this, result, text] { emit Done(result, text); }, Qt::QueuedConnection);
  });
}
