#include "platform/LocalAddress.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace qmplatform {

QString LocalIPv4Address() {
  // Tests and demos pin the address so a LAN search stays on loopback. Read at every call: a
  // value cached before a test set it would send the search onto the real network.
  const QString pinned = qEnvironmentVariable("QMSV_LOCAL_IPV4");
  if (!pinned.isEmpty()) return pinned;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return {};
  QString result;
  for (ifaddrs* it = list; it; it = it->ifa_next) {
    if (!it->ifa_addr || it->ifa_addr->sa_family != AF_INET) continue;
    if (!(it->ifa_flags & IFF_UP) || (it->ifa_flags & IFF_LOOPBACK)) continue;
    char text[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(it->ifa_addr);
    if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) {
      result = QString::fromLatin1(text);
      break;
    }
  }
  freeifaddrs(list);
  return result;
}

IpWatcher::IpWatcher(QObject* parent, Source source) : QObject(parent), source_(std::move(source)) {
  timer_.setInterval(1000);
  connect(&timer_, &QTimer::timeout, this, &IpWatcher::Poll);
  timer_.start();
}

bool IpWatcher::IsOnlineAddress(const QString& address) {
  return !address.isEmpty() && address != QLatin1String("127.0.0.1") &&
         address != QLatin1String("::1");
}

void IpWatcher::Poll() {
  const QString address = source_();
  const bool online = IsOnlineAddress(address);
  const bool changed = online != online_ || (online && address != address_);
  address_ = address;
  online_ = online;
  if (changed) emit statusChanged(online_, address_);
}

}  // namespace qmplatform
