#include "platform/LocalAddress.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using qmplatform::IpWatcher;

TEST(LocalAddress, OnlineMeansAnAddressOtherThanLoopback) {
  struct Case {
    const char* address;
    bool online;
  } cases[] = {
      {"", false}, {"127.0.0.1", false}, {"::1", false}, {"192.168.1.20", true}, {"10.0.0.1", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IpWatcher::IsOnlineAddress(c.address), c.online) << c.address;
}

TEST(LocalAddress, WatcherReportsEachChangeOfStateOrAddressOnce) {
  QStringList answers{"", "192.168.1.20", "192.168.1.20", "192.168.1.21", "127.0.0.1"};
  int asked = 0;
  IpWatcher watcher(nullptr, [&] { return answers.value(asked++, "127.0.0.1"); });
  QStringList reports;
  QObject::connect(&watcher, &IpWatcher::statusChanged, [&](bool online, const QString& address) {
    reports << QString("%1 %2").arg(online).arg(address);
  });
  ASSERT_TRUE(qmtest::WaitFor([&] { return asked >= 6; }, 10000));
  EXPECT_EQ(reports, (QStringList{"1 192.168.1.20", "1 192.168.1.21", "0 127.0.0.1"}));
  EXPECT_FALSE(watcher.Online());
}

}  // namespace
