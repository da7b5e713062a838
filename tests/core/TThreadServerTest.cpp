#include "core/TThreadServer.h"
#include "support/TestSupport.h"

#include <QThread>

#include <gtest/gtest.h>

namespace {

using qmtest::WaitFor;

// Records every hand-over, checking that each runs on the interface thread.
class RecordingHost : public IServerHost {
 public:
  void NewConnection(const TCtx& ctx) override {
    Check();
    events << "new";
    last = ctx;
  }
  void DeleteConnection(const TCtx&) override {
    Check();
    events << "delete";
  }
  void ServerRx(const TCtx& ctx, const QString& line) override {
    Check();
    rx << line;
    last = ctx;
  }
  void Log(const QString& text) override {
    Check();
    logs << text;
  }
  void Debug(const QString& text) override {
    Check();
    debugs << text;
  }
  void Check() { EXPECT_EQ(QThread::currentThread(), main); }
  int LogCount(const QString& part) const {
    int n = 0;
    for (const QString& l : logs) n += l.contains(part) ? 1 : 0;
    return n;
  }

  QThread* main = QThread::currentThread();
  QStringList events, rx, logs, debugs;
  TCtx last;
};

class TThreadServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server = std::make_unique<TThreadServer>(&host, 0, &debug);
    ASSERT_TRUE(WaitFor([&] { return server->BoundPort() != 0; }));
  }
  std::unique_ptr<qmtest::Client> Connect() {
    auto c = std::make_unique<qmtest::Client>(server->BoundPort());
    EXPECT_TRUE(c->Connected());
    EXPECT_TRUE(WaitFor([&] { return host.last != nullptr; }));
    return c;
  }

  std::atomic<bool> debug{false};
  RecordingHost host;
  std::unique_ptr<TThreadServer> server;
};

TEST_F(TThreadServerTest, FramingCases) {
  struct Case {
    std::vector<QByteArray> segments;
    QStringList lines;
  } cases[] = {
      {{"text\r\n"}, {"text"}},
      {{"text\n"}, {"text"}},
      {{"a\rb\n"}, {"a\rb"}},
      {{"one\ntwo\r\nthree\n"}, {"one", "two", "three"}},
      {{"sp", "li", "t\r", "\n"}, {"split"}},
      {{"\n", "\r\n", "x\n"}, {"x"}},
      {{"caf\xc3\xa9\n"}, {"caf??"}},
  };
  for (const auto& c : cases) {
    host.rx.clear();
    host.last = nullptr;
    auto client = Connect();
    for (const QByteArray& s : c.segments) {
      client->Send(s);
      QThread::msleep(20);
    }
    client->Send("end\n");
    ASSERT_TRUE(WaitFor([&] { return host.rx.contains("end"); })) << c.segments[0].constData();
    host.rx.removeAll("end");
    EXPECT_EQ(host.rx, c.lines) << c.segments[0].constData();
  }
}

TEST_F(TThreadServerTest, ConnectionLifecycleAndCount) {
  auto client = Connect();
  EXPECT_EQ(server->CnxCount(), 1);
  EXPECT_EQ(host.last->PeerAddress(), "127.0.0.1");
  client->Close();
  ASSERT_TRUE(WaitFor([&] { return host.events.contains("delete"); }));
  EXPECT_EQ(host.events, QStringList({"new", "delete"}));
  EXPECT_EQ(host.LogCount("Read terminated, buffer emptied"), 1);
  EXPECT_EQ(server->CnxCount(), 0);
  EXPECT_EQ(host.logs.first(), "Listening on port " + QString::number(server->BoundPort()));
}

TEST_F(TThreadServerTest, OverlongLineIsDiscardedAndTheConnectionStays) {
  auto client = Connect();
  client->Send(QByteArray(48001, 'x'));
  ASSERT_TRUE(WaitFor([&] { return host.LogCount("Read terminated, buffer emptied") == 1; }));
  EXPECT_TRUE(host.logs.last().endsWith(CtxSuffix(host.last)));
  client->Send("\nafter\n" + QByteArray(48000, 'y') + "\n");
  ASSERT_TRUE(WaitFor([&] { return host.rx.size() == 2; }));
  EXPECT_EQ(host.rx[0], "after");
  EXPECT_EQ(host.rx[1].size(), 48000);
  EXPECT_EQ(server->CnxCount(), 1);
}

// The 256-line limit itself needs a peer that does not read (FullSocketTest): the writer drains
// a reading peer's queue while it is being filled.
TEST_F(TThreadServerTest, SendWritesCrLfLinesInOrderToEachConnection) {
  auto client = Connect();
  const TCtx ctx = host.last;
  for (int i = 0; i < 256; ++i)
    EXPECT_TRUE(server->Send(ctx, i == 5 ? QString() : QString::number(i))) << i;
  host.last = nullptr;
  auto other = Connect();
  EXPECT_TRUE(server->Send(host.last, "other"));
  EXPECT_EQ(other->ReadLines(1), QList<QByteArray>{"other"});
  const auto lines = client->ReadLines(256);
  ASSERT_EQ(lines.size(), 256);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(lines[i], i == 5 ? "" : QByteArray::number(i));
  EXPECT_TRUE(client->ReadFor(250).isEmpty());
}

TEST_F(TThreadServerTest, NullConnectionAndNonAsciiOutput) {
  debug = true;
  host.debugs.clear();
  EXPECT_FALSE(server->Send(nullptr, "x"));
  EXPECT_EQ(host.debugs, QStringList{"TThreadServer.Send(): x"});
  EXPECT_EQ(host.LogCount("TX buffer full"), 0);
  auto client = Connect();
  server->Send(host.last, QString::fromUtf8("d\xc3\xa9j\xc3\xa0"));
  EXPECT_EQ(client->ReadLines(1), QList<QByteArray>{"d?j?"});
}

TEST_F(TThreadServerTest, ClosingFromTheInterfaceThreadReportsTheClose) {
  auto client = Connect();
  host.last->Close();
  EXPECT_TRUE(client->WaitClosed(2000));
  ASSERT_TRUE(WaitFor([&] { return host.events.contains("delete"); }));
  // Lines for a closed connection are dropped quietly.
  EXPECT_TRUE(server->Send(host.last, "late"));
  QThread::msleep(250);
  EXPECT_EQ(host.LogCount("EXCEPTION"), 0);
}

TEST_F(TThreadServerTest, StoppingClosesEveryConnectionWhileServingHandOvers) {
  auto a = Connect();
  host.last = nullptr;
  auto b = Connect();
  server.reset();
  EXPECT_EQ(host.events.count("delete"), 2);
  EXPECT_TRUE(a->WaitClosed(1000));
  EXPECT_TRUE(b->WaitClosed(1000));
}

// Many readers with far more lines than the queue holds, short ones (its line limit) and long
// ones (its character limit): each waits for room, none is lost or overtaken, and a stop while
// readers wait for room still ends. Lines of each peer must arrive as an unbroken prefix of what
// it sent.
TEST_F(TThreadServerTest, ReadersWaitForRoomInAFullQueue) {
  constexpr int kPeers = 8;
  const QByteArray longTail = '-' + QByteArray(20000, 'v');
  int lines = 0;
  auto send = [&](std::vector<std::unique_ptr<qmtest::Client>>& peers, const QByteArray& tail) {
    for (int p = 0; p < kPeers; ++p) {
      host.last = nullptr;
      peers.push_back(Connect());
    }
    for (int p = 0; p < kPeers; ++p) {
      QByteArray bytes;
      for (int i = 0; i < lines; ++i)
        bytes += QByteArray::number(p) + '-' + QByteArray::number(i) + tail + '\n';
      peers[peers.size() - kPeers + std::size_t(p)]->Send(bytes);
    }
  };
  auto checkPrefixes = [&] {
    std::vector<int> next(kPeers, 0);
    for (const QString& l : host.rx) {
      const QStringList f = l.split(QLatin1Char('-'));
      ASSERT_GE(f.size(), 2) << l.left(40).toStdString();
      const int p = f[0].toInt();
      ASSERT_EQ(f[1].toInt(), next[std::size_t(p)]) << l.left(40).toStdString();
      ++next[std::size_t(p)];
    }
  };
  std::vector<std::unique_ptr<qmtest::Client>> peers;
  lines = int(TThreadServer::kMaxRx) * 3 / 2;
  send(peers, QByteArray());
  ASSERT_TRUE(WaitFor([&] { return host.rx.size() == kPeers * lines; }, 30000)) << host.rx.size();
  checkPrefixes();
  host.rx.clear();
  lines = int(TThreadServer::kMaxRxChars / std::size_t(longTail.size())) * 2;
  send(peers, longTail);
  ASSERT_TRUE(WaitFor([&] { return host.rx.size() == kPeers * lines; }, 30000)) << host.rx.size();
  checkPrefixes();

  host.rx.clear();
  std::vector<std::unique_ptr<qmtest::Client>> more;
  send(more, QByteArray());
  server.reset();
  checkPrefixes();
  EXPECT_EQ(host.events.count("delete"), 3 * kPeers);
}

TEST(TThreadServerPortTest, PortInUseIsLogged) {
  RecordingHost host;
  std::atomic<bool> debug{false};
  auto first = std::make_unique<TThreadServer>(&host, 0, &debug);
  ASSERT_TRUE(WaitFor([&] { return first->BoundPort() != 0; }));
  TThreadServer second(&host, first->BoundPort(), &debug);
  ASSERT_TRUE(WaitFor([&] { return host.LogCount("Failed to listen on port") == 1; }));
  EXPECT_EQ(second.BoundPort(), 0);
}

}  // namespace

// A connection's reader busy with a round for longer than kReaderLate may hold bytes of it that
// have not reached the queue: its lines count as waiting then, and not while it waits or has
// only just begun, nor once the connection is released.
TEST(TCnxReaderTest, AReaderLateInItsRoundCountsAsLinesWaiting) {
  using namespace std::chrono;
  asio::io_context io;
  TCnx cnx(asio::ip::tcp::socket(io), 1);
  std::atomic<std::int64_t> roundSince{0};
  EXPECT_FALSE(cnx.RxWaiting());
  cnx.WatchReader(&roundSince);
  const auto ago = [](milliseconds ms) {
    return duration_cast<nanoseconds>((steady_clock::now() - ms).time_since_epoch()).count();
  };
  const struct {
    std::int64_t since;
    bool waiting;
  } cases[] = {{0, false}, {ago(milliseconds(5)), false}, {ago(TCnx::kReaderLate * 3), true}};
  for (const auto& c : cases) {
    roundSince = c.since;
    EXPECT_EQ(cnx.RxWaiting(), c.waiting) << c.since;
  }
  cnx.Release();
  EXPECT_FALSE(cnx.RxWaiting());
}
