#include "support/SupervisorFixture.h"

#include <QDir>

namespace {

using Lines = QList<QByteArray>;

class MonitorIdTest : public SupervisorFixture {};

TEST_F(MonitorIdTest, LongReservedAndHiddenIdsAreRefused) {
  const QByteArray longId(65, 'x');
  const QByteArray hugeId(40000, 'y');
  const struct {
    QByteArray line;
    QString logged;
  } bad[] = {
      {"cpdt&" + longId, QString(longId) + ": invalid monitor ID"},
      {"cpng&clientlist.csv&n&d&m", "clientlist.csv: invalid monitor ID"},
      {"cpdt&ClientList.CSV", "ClientList.CSV: invalid monitor ID"},
      {"cpdt&.hidden", ".hidden: invalid monitor ID"},
      {"cpdt&" + hugeId, QString(hugeId.left(1024)) + " (40000 chars): invalid monitor ID"},
  };
  for (const auto& b : bad) {
    auto c = Connect();
    c->Send(b.line + "\n");
    EXPECT_TRUE(c->WaitClosed(2000)) << b.line.left(80).constData();
    EXPECT_TRUE(LogHas(b.logged)) << b.line.left(80).constData();
  }
  for (const QString& l : sup->Log().Lines()) EXPECT_LT(l.size(), 1200);
  EXPECT_TRUE(QDir(DataPath()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
  ASSERT_TRUE(sup->Storage().WaitIdle(10000));
  EXPECT_FALSE(QFile::exists(DataPath() + "clientlist.csv"));

  // The longest ID taken, and the list still records it afterwards.
  Lines after;
  const QByteArray okId(64, 'z');
  auto ok = Identify("cpdt&" + okId, &after, 3);
  ASSERT_TRUE(qmtest::WaitFor([&] { return Record(okId) && Record(okId)->Connected(); }));
  ASSERT_TRUE(sup->Storage().WaitIdle(10000));
  QFile list(DataPath() + "clientlist.csv");
  ASSERT_TRUE(list.open(QIODevice::ReadOnly));
  EXPECT_EQ(list.readAll(), okId + "\r\n");
}

}  // namespace
