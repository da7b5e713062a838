#include "supervisor/TSupervisor.h"
#include "support/FakeUi.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class LiveStreamsTest : public ::testing::Test {
 protected:
  LiveStreamsTest() : sup(&ui, TSupervisor::Options{{"test"}, qmtest::TempEnv(dir), false}) {
    client.bConnected = true;
    client.frame = &window;
  }
  void Rx(const QString& line) { sup.ProcessCmd(client, line); }

  QTemporaryDir dir;
  FakeUi ui;
  TSupervisor sup;
  FakeWindow window;
  TDTClient client;
};

TEST_F(LiveStreamsTest, LiveLineParsing) {
  struct Case {
    const char* line;
    double led, leq;
    int min, max, t1, t2;
  } cases[] = {
      {"live&laf=63.4&ledmin=30&ledmax=110&trig1=70&trig2=80", 63.4, 0, 30, 110, 70, 80},
      {"live&laf=265.0", 65.0, 0, 20, 120, 0, 0},
      {"live&laf=200", 200, 0, 20, 120, 0, 0},
      {"live&laf=abc&ledmin=30", 0, 0, 30, 120, 0, 0},
      {"live&ledmax=", 0, 0, 20, 120, 0, 0},
      {"live&ledmax=1=2", 0, 0, 20, 120, 0, 0},
      {"live&ledmin=3.5&LAF=50&laf&=&unknown=5", 0, 0, 20, 120, 0, 0},
      {"live&trig2=85&laf=-3", -3, 0, 20, 120, 0, 85},
      {"live1s&laeq=55.2&trig2=85", 0, 55.2, 20, 120, 0, 85},
      {"live1s&laf=70&laeq=1e1", 0, 10, 20, 120, 0, 0},
  };
  for (const auto& c : cases) {
    TDTClient fresh;
    fresh.bConnected = true;
    sup.ProcessCmd(fresh, c.line);
    EXPECT_DOUBLE_EQ(fresh.flLedLev, c.led) << c.line;
    EXPECT_DOUBLE_EQ(fresh.flLeq1s, c.leq) << c.line;
    EXPECT_EQ(fresh.leds.nLEDMin, c.min) << c.line;
    EXPECT_EQ(fresh.leds.nLEDMax, c.max) << c.line;
    EXPECT_EQ(fresh.leds.nTrig1, c.t1) << c.line;
    EXPECT_EQ(fresh.leds.nTrig2, c.t2) << c.line;
  }
}

TEST_F(LiveStreamsTest, DeliveryShowsTheNewestValueOnceAndNothingAtOrBelowZero) {
  Rx("live&laf=50&ledmin=30&ledmax=110&trig1=70&trig2=80");
  Rx("live&laf=61.5");
  Rx("live1s&laeq=55.2&trig2=85");
  client.ProcessBuf();
  EXPECT_EQ(window.calls, QStringList({"led 61.5 30 110 70 85", "leq 55.2 30 110 70 85"}));
  window.calls.clear();
  client.ProcessBuf();
  EXPECT_TRUE(window.calls.isEmpty());
  for (const char* line : {"live&laf=0", "live&laf=-1", "live1s&laeq=0"}) {
    Rx(line);
    client.ProcessBuf();
  }
  EXPECT_TRUE(window.calls.isEmpty());
  Rx("live&laf=0.1");
  client.ProcessBuf();
  EXPECT_EQ(window.calls, QStringList{"led 0.1 30 110 70 85"});
  // Not identified yet: stored, never shown.
  window.calls.clear();
  client.bConnected = false;
  Rx("live&laf=70");
  client.ProcessBuf();
  EXPECT_TRUE(window.calls.isEmpty());
  EXPECT_DOUBLE_EQ(client.flLedLev, 70);
}

TEST_F(LiveStreamsTest, LeqBufferGoesToTheWindowUnchanged) {
  Rx("leqbuf&50.1,x,,52");
  EXPECT_EQ(window.calls, QStringList{"leqbuf 50.1,x,,52"});
}

}  // namespace
