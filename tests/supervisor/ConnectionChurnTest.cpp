#include "support/SupervisorFixture.h"

#include <QElapsedTimer>

namespace {

// Counts the table refreshes the core asks for.
class CountingUi : public FakeUi {
 public:
  void UpdateClientTable(bool bForce) override { forced += bForce ? 1 : 0; }
  int forced = 0;
};

class ConnectionChurnTest : public SupervisorFixture {
 protected:
  void SetUp() override {
    SupervisorFixture::SetUp();
    sup->SetUi(&counting);
  }
  void TearDown() override { SupervisorFixture::TearDown(); }
  CountingUi counting;
};

TEST_F(ConnectionChurnTest, SilentConnectionsAreAllDroppedInTheTickOfTheirTimeOut) {
  std::vector<std::unique_ptr<qmtest::Client>> silent;
  for (int i = 0; i < 60; ++i) silent.push_back(Connect());
  QElapsedTimer sinceLast;
  sinceLast.start();
  // 30 ticks of 100 ms, and a little for a loaded machine.
  EXPECT_TRUE(qmtest::WaitFor([&] { return RecordCount() == 0; }, 4500));
  EXPECT_LT(sinceLast.elapsed(), 4500);
  for (auto& c : silent) EXPECT_TRUE(c->WaitClosed(500));
}

TEST_F(ConnectionChurnTest, ConnectionEventsRefreshTheTableAtMostOncePerTick) {
  QElapsedTimer timer;
  timer.start();
  std::vector<std::unique_ptr<qmtest::Client>> burst;
  for (int i = 0; i < 100; ++i) burst.push_back(Connect());
  burst.clear();
  ASSERT_TRUE(qmtest::WaitFor([&] { return RecordCount() == 0; }));
  const qint64 ticks = timer.elapsed() / 100 + 2;
  EXPECT_LE(counting.forced, ticks) << "200 events in " << timer.elapsed() << " ms";
  EXPECT_GE(counting.forced, 1);
}

}  // namespace
