// The alarm lines through the dispatcher to the supervisor's own tracker.
#include "live/Alarms.h"
#include "support/SupervisorFixture.h"

namespace {

using qmtest::WaitFor;
using Lines = QList<QByteArray>;

class AlarmLinesTest : public SupervisorFixture {};

TEST_F(AlarmLinesTest, LinesFromTheMonitorReachTheRecordAndTheTimerShowsTheCount) {
  sup->Cfg().SetReportPeriod(60);
  Lines after;
  auto c = Identify("cpse&SE7&Gate&wifi", &after, 3);
  ASSERT_TRUE(WaitFor([&] { return Record("SE7") && Record("SE7")->frame; }));
  auto* win = static_cast<FakeWindow*>(Record("SE7")->frame);

  c->Send("alarms&30;abc;4000\r\n");
  ASSERT_TRUE(WaitFor([&] { return Record("SE7")->adtAlarms.size() == 3; }));
  // The supervisor's one-second timer re-counts every monitor.
  EXPECT_TRUE(WaitFor([&] { return win->calls.contains("alarms 1"); }, 3000));

  c->Send("alarm\r\n");
  ASSERT_TRUE(WaitFor([&] { return Record("SE7")->adtAlarms.size() == 4; }));
  EXPECT_EQ(win->calls.mid(win->calls.lastIndexOf("alarms 2")),
            QStringList({"alarms 2", "newalarm"}));

  win->calls.clear();
  c->Send("alarms&\r\n");
  ASSERT_TRUE(WaitFor([&] { return Record("SE7")->adtAlarms.empty(); }));
  EXPECT_TRUE(WaitFor([&] { return win->calls.contains("alarms 0"); }, 3000));
  // Handled lines get no error reply.
  EXPECT_FALSE(c->ReadFor(200).contains("error"));
}

TEST_F(AlarmLinesTest, ATrackerOfItsOwnLeavesTheSupervisorHandlingLines) {
  { TAlarms other(*sup, nullptr); }
  TDTClient client;
  EXPECT_TRUE(sup->ProcessCmd(client, "alarm"));
  EXPECT_TRUE(sup->ProcessCmd(client, "alarms&30"));
  EXPECT_EQ(client.adtAlarms.size(), 1u);
  EXPECT_FALSE(LogHas("rx error:"));
}

}  // namespace
