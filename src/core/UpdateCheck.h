#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <thread>

// The program's own version, as shown and as compared with the update server's reply.
inline constexpr char kProgramVersion[] = "1.3.1";

// A version text as a number: major * 65536 + minor * 256 + patch; -1 when it has fewer than three
// parts or one of the first three is not a whole number. Dots, blanks and control characters
// separate the parts.
qint64 VersionNumber(const QString& text);

// The base URL of the update server: QMSV_UPDATE_URL when set, else the maker's server.
QString UpdateBaseUrl();
// UpdateBaseUrl() + "/install/": the check's address and the download page.
QString UpdateInstallUrl();

// The form body of the check: "action=svver&x=" + the local time as whole seconds since
// 1899-12-30 00:00.
QByteArray UpdateRequestBody(const QDateTime& local);

enum class TUpdateResult { Failed, UpToDate, NewVersion };

// One update check in the background. Done arrives on the owner's thread; destroying the check
// cancels the request, and no result arrives afterwards.
class TUpdateCheck : public QObject {
  Q_OBJECT
 public:
  static constexpr int kTimeoutMs = 5000;
  // Replies larger than this are not a version number and count as a failure.
  static constexpr qsizetype kMaxReply = 64 * 1024;

  explicit TUpdateCheck(QObject* parent = nullptr);
  ~TUpdateCheck() override;

  // Sends the request to `url` with `body`; once per object.
  void Start(const QString& url, const QByteArray& body);

 signals:
  void Done(TUpdateResult result, const QString& reply);

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  std::thread worker_;
};
