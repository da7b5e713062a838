#include "core/Discovery.h"
#include "core/IpAddress.h"
#include "support/FakeDiscoveryHost.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

using qmtest::FakeDiscoveryHost;

TEST(ValidIPAdx, AcceptsFourDecimalPartsUpTo255) {
  const struct {
    const char* text;
    bool valid;
  } cases[] = {
      {"192.168.0.99", true},   {"192.168.000.099", true},
      {"0.0.0.0", true},        {"255.255.255.255", true},
      {"010.1.2.3", true},      {"192.168.0", false},
      {"192.168.0.256", false}, {"192.168.0.99.1", false},
      {"192.168..99", false},   {"", false},
      {"192.168.0.-1", false},  {"192.168.0.+1", false},
      {"192.168.0. 1", false},  {"192.168.0.0x1", false},
      {"a.b.c.d", false},       {"192.168.0.99999999999", false},
  };
  for (const auto& c : cases) EXPECT_EQ(ValidIPAdx(c.text), c.valid) << c.text;
  const auto bytes = ParseIPAdx("192.168.000.099");
  ASSERT_TRUE(bytes);
  EXPECT_EQ((*bytes)[2], 0);
  EXPECT_EQ((*bytes)[3], 99);
}

TEST(DiscoveryAnswer, ExactlyThreeFieldsIsAMonitor) {
  const struct {
    const char* line;
    bool monitor;
  } cases[] = {
      {"cpse&SE-1&Yard", true}, {"cpdt&DT-1&", true}, {"&&", true},    {"cpse&SE-1", false},
      {"cpse&SE-1&a&b", false}, {"", false},          {"cpsv", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SplitDiscoveryAnswer(c.line).has_value(), c.monitor) << c.line;
  const auto m = SplitDiscoveryAnswer("cpdt&DT-1&");
  EXPECT_EQ(m->sType, "cpdt");
  EXPECT_EQ(m->sID, "DT-1");
  EXPECT_EQ(m->sName, "");
}

TEST(DeviceLogLine, LastLabelHasNoColon) {
  EXPECT_EQ(DeviceLogLine({"cpng", "NG-7", "Gate"}), "  Device:cpng ID:NG-7 NameGate");
}

class ProbeTest : public ::testing::Test {
 protected:
  quint16 port = qmtest::FreePort();
};

TEST_F(ProbeTest, SendsTheProbeLineAndReadsTheAnswerWithoutItsLineEnd) {
  FakeDiscoveryHost host("127.0.0.1", port, FakeDiscoveryHost::Mode::Reply,
                         "cpse&SE-9&North gate\r\nmore\r\n");
  ASSERT_TRUE(host.Listening());
  const TProbeResult r = ProbeMonitor("127.0.0.1", port);
  EXPECT_TRUE(r.bConnected);
  EXPECT_EQ(r.sAnswer, "cpse&SE-9&North gate");
  ASSERT_TRUE(r.monitor);
  EXPECT_EQ(r.monitor->sName, "North gate");
  EXPECT_EQ(host.Received(), "cpsv\r\n");
}

TEST_F(ProbeTest, AnswersThatAreNotAMonitor) {
  const struct {
    QByteArray reply;
    QString answer;
  } cases[] = {
      {"cpse\n", "cpse"},  // one field, LF only
      {"cpse&SE-9&a&b\r\n", "cpse&SE-9&a&b"},
      {"cpse&SE-9&x", ""},                 // closed before the line end: a failed read
      {"", ""},                            // closed without a word
      {QByteArray(5000, 'x') + "\n", ""},  // longer than any answer
  };
  for (const auto& c : cases) {
    FakeDiscoveryHost host("127.0.0.1", port, FakeDiscoveryHost::Mode::Reply, c.reply);
    const TProbeResult r = ProbeMonitor("127.0.0.1", port);
    EXPECT_TRUE(r.bConnected) << c.reply.left(20).constData();
    EXPECT_EQ(r.sAnswer, c.answer) << c.reply.left(20).constData();
    EXPECT_FALSE(r.monitor) << c.reply.left(20).constData();
  }
}

TEST_F(ProbeTest, AHostThatNeverAnswersCostsTheAnswerTimeOutOnly) {
  FakeDiscoveryHost host("127.0.0.3", port, FakeDiscoveryHost::Mode::Silent);
  ASSERT_TRUE(host.Listening());
  QElapsedTimer t;
  t.start();
  const TProbeResult r = ProbeMonitor(
      "127.0.0.3", port, {std::chrono::milliseconds(500), std::chrono::milliseconds(300)});
  EXPECT_TRUE(r.bConnected);
  EXPECT_FALSE(r.monitor);
  EXPECT_GE(t.elapsed(), 280);
  EXPECT_LT(t.elapsed(), 1500);
}

TEST_F(ProbeTest, NoConnectionForAClosedPortOrAnUnusableAddress) {
  for (const char* address : {"127.0.0.1", "127.0.0.300", "", "localhost"}) {
    const TProbeResult r = ProbeMonitor(address, port);
    EXPECT_FALSE(r.bConnected) << address;
    EXPECT_FALSE(r.monitor) << address;
  }
  EXPECT_FALSE(ProbeMonitor("127.0.0.1", 0).bConnected);
  EXPECT_FALSE(ProbeMonitor("127.0.0.1", 70000).bConnected);
}

TEST_F(ProbeTest, AcceptedAndClosedAtOnceIsConnectedWithoutAnswer) {
  FakeDiscoveryHost host("127.0.0.1", port, FakeDiscoveryHost::Mode::CloseAtOnce);
  const TProbeResult r = ProbeMonitor("127.0.0.1", port);
  EXPECT_TRUE(r.bConnected);
  EXPECT_EQ(r.sAnswer, "");
}

}  // namespace
