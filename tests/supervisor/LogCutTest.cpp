#include "core/EventLog.h"
#include "core/RepeatFilter.h"
#include "support/SupervisorFixture.h"

#include <atomic>
#include <thread>

namespace {

using Lines = QList<QByteArray>;

class LogCutTest : public SupervisorFixture {};

TEST_F(LogCutTest, LongJunkIsCutInTheLogAndRepeatsAreCounted) {
  sup->Runstat().bDebugLog = true;
  auto c = Connect();
  const QByteArray junk(48000, 'j');
  // Sent and read on their own threads: this one serves the supervisor meanwhile.
  std::thread sender([&] {
    for (int i = 0; i < 200; ++i) c->Send(junk + "\n");
    c->Send("short one\n");
  });
  std::atomic<int> replies{-1};
  std::thread reader([&] { replies = int(c->ReadLines(201, 20000).size()); });
  EXPECT_TRUE(qmtest::WaitFor([&] { return LogHas("rx error:short one"); }, 20000));
  EXPECT_TRUE(qmtest::WaitFor([&] { return replies >= 0; }, 25000));
  sender.join();
  reader.join();
  EXPECT_EQ(replies, 201);  // every line still gets its error reply
  const QString cut = QString(1024, 'j') + " (48000 chars)";
  int junkErrors = 0;
  for (const QString& l : sup->Log().Lines()) {
    EXPECT_LT(l.size(), 1200) << l.left(80).toStdString();
    if (l.contains("rx error:" + cut)) ++junkErrors;
  }
  EXPECT_GE(junkErrors, 1);
  EXPECT_LE(junkErrors, 30) << "repeats within a second are counted, not logged";
  EXPECT_TRUE(LogHas("TThreadServer.idserverExecute(): RX:" + cut));
  EXPECT_TRUE(LogHas("TFormMain.ServerRx(): " + cut));
  EXPECT_TRUE(LogHas(" more times)"));
}

TEST(RepeatFilter, CountsRepeatsOfOneConnectionAndNamesTheCountAtTheNextLine) {
  TRepeatFilter f;
  EXPECT_EQ(f.Pass(1, "a"), QStringList{"a"});
  EXPECT_TRUE(f.Pass(1, "a").isEmpty());
  EXPECT_TRUE(f.Pass(1, "a").isEmpty());
  EXPECT_EQ(f.Pass(2, "a"), QStringList{"a"}) << "another connection has its own count";
  EXPECT_EQ(f.Pass(1, "b"), QStringList({"a (2 more times)", "b"}));
  f.Forget(1);
  EXPECT_EQ(f.Pass(1, "b"), QStringList{"b"});
}

TEST(EventLogSize, LongLinesAreBoundedBySizeAsWellAsByCount) {
  TEventLog log(nullptr);
  const QString big(1 << 20, 'x');  // 2 MiB each
  for (int i = 0; i < 40; ++i) log.AddLine(big + QString::number(i));
  qsizetype bytes = 0;
  for (const QString& l : log.Lines()) bytes += l.size() * 2;
  EXPECT_LE(bytes, TEventLog::kMaxBytes);
  EXPECT_GE(log.Lines().size(), 30u);
  EXPECT_TRUE(log.Lines().back().endsWith("x39"));
}

}  // namespace
