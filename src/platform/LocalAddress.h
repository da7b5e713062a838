#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

namespace qmplatform {

// The PC's own IPv4 address: the first up, non-loopback interface's; empty when there is none.
// QMSV_LOCAL_IPV4, when set, replaces it.
QString LocalIPv4Address();

// Polls the local address every second and reports each change of the online state.
class IpWatcher : public QObject {
  Q_OBJECT
 public:
  using Source = std::function<QString()>;
  explicit IpWatcher(QObject* parent = nullptr, Source source = LocalIPv4Address);
  QString Address() const { return address_; }
  bool Online() const { return online_; }
  static bool IsOnlineAddress(const QString& address);

 signals:
  void statusChanged(bool online, const QString& address);

 private:
  void Poll();
  Source source_;
  QTimer timer_;
  QString address_;
  bool online_ = false;
};

}  // namespace qmplatform
