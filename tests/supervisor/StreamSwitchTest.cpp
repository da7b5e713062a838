#include "support/SupervisorFixture.h"

namespace {

using Lines = QList<QByteArray>;

class StreamSwitchTest : public SupervisorFixture {};

TEST_F(StreamSwitchTest, MinimiseStopsBothStreamsAndRestoreStartsOnlyThoseThatWereOn) {
  sup->Cfg().SetHistory(false);
  Lines after;
  auto c = Identify("cpdt&S", &after, 2);
  EXPECT_EQ(after, Lines({"live&start&1", "live1s&stop"}));
  sup->PauseStreams(TRunstat::wsNormal);
  EXPECT_EQ(c->ReadLines(2), Lines({"live&stop&0", "live1s&stop"}));
  sup->PauseStreams(TRunstat::wsNormal);  // a second minimise changes nothing
  EXPECT_TRUE(c->ReadFor(250).isEmpty());
  // While minimised both switches are stored off, so a new monitor is told to stop.
  EXPECT_EQ(IniFile(sup->Cfg().SettingsPath()).ReadString("network", "rtlive", ""), "0");
  auto late = Identify("cpdt&T", &after, 2);
  EXPECT_EQ(after, Lines({"live&stop&0", "live1s&stop"}));
  sup->ResumeStreams();
  EXPECT_EQ(c->ReadLines(2), Lines({"live&start&1", "live1s&stop"}));
  EXPECT_TRUE(sup->Cfg().RTLive());
  EXPECT_FALSE(sup->Cfg().History());
}

TEST_F(StreamSwitchTest, HistorySwitchAsksForTheBufferFirst) {
  Lines after;
  auto c = Identify("cpdt&H", &after, 3);
  sup->Cfg().SetHistory(false);
  sup->ChangeHistoryRates();
  EXPECT_EQ(c->ReadLines(1), Lines{"live1s&stop"});
  sup->Cfg().SetHistory(true);
  sup->ChangeHistoryRates();
  EXPECT_EQ(c->ReadLines(2), Lines({"getleqbuf", "live1s&start"}));
  // An unidentified connection is not told anything.
  auto quiet = Connect();
  sup->ChangeClientRates();
  EXPECT_EQ(c->ReadLines(1), Lines{"live&start&1"});
  EXPECT_TRUE(quiet->ReadFor(250).isEmpty());
}

}  // namespace
