#include "core/Clock.h"
#include "core/Text.h"
#include "support/SupervisorFixture.h"

#include <QElapsedTimer>
#include <QThread>

#include <QDir>
#include <QFile>

namespace {

using qmtest::WaitFor;
using Lines = QList<QByteArray>;

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  return f.readAll();
}

class HandshakeTest : public SupervisorFixture {};

TEST_F(HandshakeTest, IdentificationOfEachTypeStoresTheRecordAndTheFolder) {
  struct Case {
    QByteArray line;
    QString id, type, name, device, modules;
  } cases[] = {
      {"cpdt&DT 1", "DT 1", "Calmpoint-DT", "DT 1", "", ""},
      {"cpng&NG1&Yard&MIC-7&gps,4g", "NG1", "Quietmark-NG", "Yard", "MIC-7", "gps,4g"},
      {"cpng&NG2&&&", "NG2", "Quietmark-NG", "NG2", "", ""},
      {"cpse&SE1&Gate&wifi", "SE1", "Quietmark-SE", "Gate", "", "wifi"},
      {"cpse&SE2&&D-9&", "SE2", "Quietmark-SE", "SE2", "D-9", ""},
  };
  std::vector<std::unique_ptr<qmtest::Client>> keep;
  for (const auto& c : cases) {
    Lines after;
    keep.push_back(Identify(c.line, &after, 3));
    ASSERT_TRUE(WaitFor([&] { return Record(c.id) && Record(c.id)->Connected(); }))
        << c.line.constData();
    TDTClient* r = Record(c.id);
    EXPECT_EQ(r->sType, c.type);
    EXPECT_EQ(r->sName, c.name);
    EXPECT_EQ(r->sDeviceUID, c.device);
    EXPECT_EQ(r->sModules, c.modules);
    EXPECT_EQ(r->ipadx, "127.0.0.1");
    ASSERT_NE(r->frame, nullptr);
    ASSERT_TRUE(sup->Storage().WaitIdle(10000));  // term.cfg is written on a storage thread
    const QString cfg = DataPath() + c.id + "/term.cfg";
    EXPECT_EQ(
        FileBytes(cfg),
        ("[head]\r\nid=" + c.id + "\r\nname=" + c.name + "\r\ntype=" + c.type + "\r\n").toLatin1());
    EXPECT_TRUE(LogHas(c.type + ":" + c.id + " - connected on 127.0.0.1 ctx:"));
  }
  ASSERT_TRUE(sup->Storage().WaitIdle(10000));
  EXPECT_EQ(FileBytes(DataPath() + "clientlist.csv"), "DT 1\r\nNG1\r\nNG2\r\nSE1\r\nSE2\r\n");
}

TEST_F(HandshakeTest, LinesAfterIdentificationFollowTheSwitches) {
  Lines after;
  auto a = Identify("cpdt&A", &after, 3);
  EXPECT_EQ(after, Lines({"live&start&1", "getleqbuf", "live1s&start"}));
  sup->Cfg().SetRTLive(false);
  sup->Cfg().SetHistory(false);
  sup->Cfg().SetClockSync(true);
  qmclock::SetSource([] { return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)); });
  auto b = Identify("cpdt&B", &after, 3);
  qmclock::SetSource({});
  EXPECT_EQ(after, Lines({"setclk&2024-03-05&14:07:09", "live&stop&0", "live1s&stop"}));
  EXPECT_TRUE(LogHas("B: Clock sync setclk&2024-03-05&14:07:09"));
  EXPECT_TRUE(b->ReadFor(200).isEmpty());
}

TEST_F(HandshakeTest, DuplicatesAndBadIdsAreDropped) {
  Lines after;
  auto first = Identify("cpdt&M1", &after, 3);
  // Another connection with the same ID.
  auto second = Connect();
  second->Send("cpdt&M1\n");
  EXPECT_TRUE(second->WaitClosed(2000));
  EXPECT_TRUE(LogHas("M1: duplicate name ctx:"));
  // The first keeps working.
  first->Send("bogus\n");
  EXPECT_EQ(first->ReadLines(1), Lines{"bogus&error"});
  // The same connection identifying twice is dropped.
  first->Send("cpdt&M1\n");
  EXPECT_TRUE(first->WaitClosed(2000));

  struct Bad {
    QByteArray line;
    QString logged;
  } bad[] = {
      {"cpdt&", ": duplicate name ctx:"},        {"cpdt&../evil", "../evil: invalid monitor ID"},
      {"cpdt&/etc", "/etc: invalid monitor ID"}, {"cpdt&a\\b", "a\\b: invalid monitor ID"},
      {"cpdt&C:x", "C:x: invalid monitor ID"},   {"cpdt&..", "..: invalid monitor ID"},
      {"cpdt&.", ".: invalid monitor ID"},       {"cpdt&bell\x07", "bell?: invalid monitor ID"},
  };
  for (const auto& b : bad) {
    auto c = Connect();
    c->Send(b.line + "\n");
    EXPECT_TRUE(c->WaitClosed(2000)) << b.line.constData();
    EXPECT_TRUE(LogHas(b.logged)) << b.line.constData();
  }
  const QStringList folders = QDir(DataPath()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  EXPECT_EQ(folders, QStringList{"M1"});
  ASSERT_TRUE(sup->Storage().WaitIdle(10000));
  EXPECT_EQ(FileBytes(DataPath() + "clientlist.csv"), "M1\r\n");
  EXPECT_FALSE(QFile::exists(dir.path() + "/evil"));
}

TEST_F(HandshakeTest, ClientListGainsEachIdOnceWhateverItsCase) {
  for (const char* id : {"Unit", "unit", "UNIT", "Other"}) {
    Lines after;
    auto c = Identify(QByteArray("cpdt&") + id, &after, 3);
    c->Close();
    ASSERT_TRUE(WaitFor([&] { return RecordCount() == 0; }));
  }
  ASSERT_TRUE(sup->Storage().WaitIdle(10000));
  EXPECT_EQ(FileBytes(DataPath() + "clientlist.csv"), "Unit\r\nOther\r\n");
  EXPECT_TRUE(LogHas("Other: disconnected"));
}

TEST_F(HandshakeTest, ErrorReplies) {
  struct Case {
    QByteArray line;
    QByteArray reply;  // empty: no reply
  } cases[] = {
      {"nonsense", "nonsense&error"},
      {"PONG", "PONG&error"},
      {"pong&1&2", "pong&error"},
      {"cpng&X&name", "cpng&error"},
      {"cpse&X&a&b&c&d", "cpse&error"},
      {"cpdt", "cpdt&error"},
      {"rebooting&now", "rebooting&error"},
      {"live", "live&error"},
      {"leqbuf&1,2&3", "leqbuf&error"},
      {"alarm&x", "alarm&error"},
      {"alarms", "alarms&error"},
      {"per&1&2", "per&error"},
      {"prf&1", "prf&error"},
      {"setsettings", "setsettings&error"},
      {"getsettings", "getsettings&error"},
      {"&", "&error"},
      {"rebooting", ""},
      {"pong", ""},
      {"pong&abc", ""},
      {"live&laf=x", ""},
      {"live1s&junk", ""},
  };
  auto c = Connect();
  for (const auto& k : cases) {
    c->Send(k.line + "\n");
    if (k.reply.isEmpty()) {
      EXPECT_TRUE(c->ReadFor(150).isEmpty()) << k.line.constData();
    } else {
      EXPECT_EQ(c->ReadLines(1), Lines{k.reply}) << k.line.constData();
      EXPECT_TRUE(LogHas("rx error:" + QString::fromLatin1(k.line))) << k.line.constData();
    }
  }
}

TEST_F(HandshakeTest, SilentConnectionIsDroppedAfterAboutThreeSeconds) {
  auto c = Connect();
  QElapsedTimer timer;
  timer.start();
  EXPECT_TRUE(c->WaitClosed(6000));
  EXPECT_GE(timer.elapsed(), 2500);
  EXPECT_TRUE(LogHas("127.0.0.1: no response to connection request"));
  EXPECT_TRUE(LogHas("> : disconnected"));
}

// A connection whose first line waits in the supervisor's own queue has spoken: the time-out
// counts only while nothing of it waits. A peer whose first line was handled without
// identifying it gets no such grace, however much it sends.
TEST_F(HandshakeTest, AFirstLineWaitingInTheQueueHoldsTheTimeOut) {
  auto connecting = [&] {
    TCtx ctx;
    EXPECT_TRUE(WaitFor([&] {
      TClientListHold hold(sup->Clients());
      TDTClient* r = sup->Clients().GetClient(sup->Clients().Count() - 1);
      if (r && !r->Connected()) ctx = r->ctx;
      return ctx != nullptr;
    }));
    return ctx;
  };
  auto c = Connect();
  const TCtx ctx = connecting();
  ASSERT_NE(ctx, nullptr);
  ctx->LineQueued();
  for (int i = 0; i < 40; ++i) sup->UpdateClients();
  EXPECT_FALSE(c->WaitClosed(200));
  EXPECT_FALSE(LogHas("127.0.0.1: no response to connection request"));
  ctx->LineHandled();
  for (int i = 0; i < 31; ++i) sup->UpdateClients();
  EXPECT_TRUE(c->WaitClosed(2000));
  EXPECT_TRUE(LogHas("127.0.0.1: no response to connection request"));

  auto chatter = Connect();
  chatter->Send("hello\n");
  const TCtx chatterCtx = connecting();
  ASSERT_NE(chatterCtx, nullptr);
  EXPECT_EQ(chatter->ReadLines(1), Lines{"hello&error"});  // its first line handled
  chatterCtx->LineQueued();  // as if it kept the queue busy with more of the same
  for (int i = 0; i < 31; ++i) sup->UpdateClients();
  EXPECT_TRUE(chatter->WaitClosed(2000));
}

// Bytes a monitor sent that no reader has taken yet count as spoken too: a reader serving many
// sockets gets to them late under load. Here the reader holds off (its records "wait for the
// disk") after the start of the identification or the pong, and the rest stays in the socket.
TEST_F(HandshakeTest, AnIdentificationNotYetReadHoldsTheTimeOutAndThePings) {
  auto c = Connect();
  TCtx ctx;
  ASSERT_TRUE(WaitFor([&] {
    TClientListHold hold(sup->Clients());
    TDTClient* r = sup->Clients().GetClient(sup->Clients().Count() - 1);
    if (r) ctx = r->ctx;
    return ctx != nullptr;
  }));
  // The reader holds off after the next bytes it reads; what follows them stays unread. It
  // first gets time to finish the round of its last read: re-armed with the records already
  // waiting, it would park the connection before taking anything.
  auto park = [&](const QByteArray& taken, const QByteArray& left) {
    QThread::msleep(50);
    ctx->AddStoring(TCnx::kMaxStoring + 1);
    c->Send(taken);
    ASSERT_TRUE(WaitFor([&] { return ctx->Unread() == 0; }));
    QThread::msleep(50);
    c->Send(left);
    ASSERT_TRUE(WaitFor([&] { return ctx->Unread() > 0; }));
  };
  c->Send("cp");
  ASSERT_TRUE(WaitFor([&] { return ctx->Unread() == 0; }));
  park("dt", "&U\n");
  for (int i = 0; i < 40; ++i) sup->UpdateClients();
  EXPECT_FALSE(LogHas("127.0.0.1: no response to connection request"));
  ctx->AddStoring(-(TCnx::kMaxStoring + 1));
  ASSERT_TRUE(WaitFor([&] { return Record("U") != nullptr; }));

  sup->timerPingTimer();
  park("po", "ng\n");
  sup->timerPingTimer();
  sup->timerPingTimer();
  EXPECT_FALSE(LogHas("U: missed ping"));
  ctx->AddStoring(-(TCnx::kMaxStoring + 1));
  ASSERT_TRUE(WaitFor([&] { return !Record("U")->bPinged; }));
}

TEST_F(HandshakeTest, PongClearsThePingAndShowsTheSignal) {
  Lines after;
  auto c = Identify("cpdt&P", &after, 3);
  sup->timerPingTimer();
  EXPECT_EQ(c->ReadLines(1), Lines{"ping"});
  EXPECT_TRUE(Record("P")->bPinged);
  c->Send("pong&55\n");
  ASSERT_TRUE(WaitFor([&] { return !Record("P")->bPinged; }));
  EXPECT_TRUE(ui.windows[0]->calls.contains("signal 55"));
  sup->timerPingTimer();
  c->Send("pong&n/a\n");
  ASSERT_TRUE(WaitFor([&] { return !Record("P")->bPinged; }));
  EXPECT_EQ(ui.windows[0]->calls.count("signal 55"), 1);
  EXPECT_FALSE(LogHas("missed ping"));
}

TEST_F(HandshakeTest, UnansweredPingsDropTheMonitorAtTheThirdMiss) {
  Lines after;
  auto quiet = Identify("cpdt&Q", &after, 3);
  auto chatty = Identify("cpdt&R", &after, 3);
  for (int check = 0; check < 4; ++check) {
    sup->timerPingTimer();
    chatty->ReadLines(1);
    chatty->Send("pong\n");
    WaitFor([&] { return Record("R") && !Record("R")->bPinged; });
  }
  EXPECT_TRUE(LogHas("Q: missed ping #0"));
  EXPECT_TRUE(LogHas("Q: missed ping #1"));
  EXPECT_TRUE(LogHas("Q: missed ping #2"));
  EXPECT_FALSE(LogHas("Q: missed ping #3"));
  EXPECT_TRUE(LogHas("Q: connection lost"));
  EXPECT_TRUE(quiet->WaitClosed(2000));
  EXPECT_EQ(quiet->ReadFor(0).count("ping"), 3);
  EXPECT_FALSE(LogHas("R: missed ping"));
  EXPECT_NE(Record("R"), nullptr);
}

// Lines of a monitor still waiting in the supervisor's queue show it alive: no miss is counted
// for them, and the count goes on once they are through.
TEST_F(HandshakeTest, LinesWaitingInTheQueueAreNoMissedPing) {
  Lines after;
  auto busy = Identify("cpdt&B", &after, 3);
  const TCtx ctx = Record("B")->ctx;
  sup->timerPingTimer();
  ctx->LineQueued();
  sup->timerPingTimer();
  sup->timerPingTimer();
  EXPECT_FALSE(LogHas("B: missed ping"));
  ctx->LineHandled();
  sup->timerPingTimer();
  EXPECT_TRUE(LogHas("B: missed ping #0"));
  EXPECT_FALSE(LogHas("B: missed ping #1"));
}

TEST_F(HandshakeTest, GarbageOnOneConnectionLeavesTheOthersServed) {
  Lines after;
  auto good = Identify("cpdt&G", &after, 3);
  auto bad = Connect();
  QByteArray junk;
  for (int i = 0; i < 5000; ++i) junk += "garbage line " + QByteArray::number(i) + "\n";
  bad->Send(junk);
  bad->Send(QByteArray(1 << 20, 'x') + "\n");
  QByteArray random(256 * 1024, '\0');
  for (int i = 0; i < random.size(); ++i) random[i] = static_cast<char>((i * 7919) % 251);
  bad->Send(random);
  good->Send("nonsense\n");
  // The replies to the garbage fill the outgoing queue; the good monitor's reply still comes.
  ASSERT_TRUE(WaitFor([&] { return LogHas("rx error:nonsense"); }, 10000));
  sup->timerPingTimer();
  const QByteArray got = good->ReadFor(500);
  EXPECT_TRUE(got.contains("ping\r\n"));
  EXPECT_NE(Record("G"), nullptr);
}

}  // namespace
