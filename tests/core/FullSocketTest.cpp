#include "core/TThreadServer.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

namespace {

using qmtest::WaitFor;

class Host : public IServerHost {
 public:
  void NewConnection(const TCtx& ctx) override { last = ctx; }
  void DeleteConnection(const TCtx&) override {}
  void ServerRx(const TCtx&, const QString&) override {}
  void Log(const QString& text) override { logs << text; }
  void Debug(const QString&) override {}
  TCtx last;
  QStringList logs;
};

class FullSocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server = std::make_unique<TThreadServer>(&host, 0, &debug);
    ASSERT_TRUE(WaitFor([&] { return server->BoundPort() != 0; }));
  }
  std::unique_ptr<qmtest::Client> Connect(TCtx* ctx) {
    host.last = nullptr;
    auto c = std::make_unique<qmtest::Client>(server->BoundPort());
    EXPECT_TRUE(WaitFor([&] { return host.last != nullptr; }));
    *ctx = host.last;
    return c;
  }
  // Fills a connection's socket with lines its peer does not read, and queues 256 more.
  void Flood(const TCtx& ctx) {
    for (int i = 0; i < 255; ++i) ASSERT_TRUE(server->Send(ctx, big));
    ASSERT_TRUE(server->Send(ctx, "last"));
  }

  const QString big = QString(100000, 'b');
  std::atomic<bool> debug{false};
  Host host;
  std::unique_ptr<TThreadServer> server;
};

TEST_F(FullSocketTest, PeersThatDoNotReadNeitherDelayOthersNorLoseTheirLines) {
  std::vector<std::unique_ptr<qmtest::Client>> stuck;
  std::vector<TCtx> stuckCtx(4);
  for (TCtx& ctx : stuckCtx) {
    stuck.push_back(Connect(&ctx));
    Flood(ctx);
  }
  QThread::msleep(400);
  // The writer's first passes fill the sockets as far as the peers' buffers take; that is real
  // work (slow in a sanitizer build), so the greetings are timed once a first one got through.
  {
    TCtx ctx;
    auto warmUp = Connect(&ctx);
    server->Send(ctx, "cnx");
    ASSERT_EQ(warmUp->ReadLines(1, 10000), QList<QByteArray>{"cnx"});
  }
  int more = 0;
  while (more < 1000 && server->Send(stuckCtx[0], big)) ++more;
  EXPECT_LT(more, 256) << "the 256-line limit stays";
  EXPECT_EQ(host.logs.filter("TThreadServer.Send(): TX buffer full or ctx == 0").size(), 1);
  // A writer that waited on a full socket would never greet these (how fast it greets them is
  // measured by the churn bench).
  for (int k = 0; k < 5; ++k) {
    TCtx ctx;
    auto fresh = Connect(&ctx);
    EXPECT_TRUE(server->Send(ctx, "cnx"));
    EXPECT_EQ(fresh->ReadLines(1, 3000), QList<QByteArray>{"cnx"});
  }
  for (const TCtx& ctx : stuckCtx) EXPECT_TRUE(ctx->IsOpen());
  // A peer that starts reading gets every line, in order.
  QByteArray got;
  QElapsedTimer timer;
  timer.start();
  while (!got.contains("last\r\n") && timer.elapsed() < 10000) got += stuck[0]->ReadFor(100);
  const qsizetype end = got.indexOf("last\r\n");
  ASSERT_GE(end, 0);
  EXPECT_EQ(got.left(end + 6).count('\n'), 256);
}

TEST_F(FullSocketTest, APeerThatTakesNothingForTheTimeOutIsClosedWithALogLine) {
  server->SetStuckCloseMs(1000);
  TCtx ctx;
  auto peer = Connect(&ctx);
  Flood(ctx);
  EXPECT_TRUE(WaitFor([&] { return !ctx->IsOpen(); }, 5000));
  EXPECT_TRUE(
      WaitFor([&] { return host.logs.filter("not reading, connection closed").size() == 1; }));
}

}  // namespace
