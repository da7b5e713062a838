#include "core/Clock.h"
#include "core/IniFile.h"
#include "core/TClientList.h"
#include "display/ClientTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <utime.h>
#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>

namespace {

class ClientTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dataPath = dir.path() + "/";
    settings.dataPath = dataPath;
    settings.sortBy = "name";
    const QDateTime now = QDateTime::currentDateTime();
    qmclock::SetSource([now] { return now; });
  }
  void TearDown() override { qmclock::SetSource({}); }

  // A connected record with a fresh connection handle and `alarms` alarms just now.
  TDTClient* AddRecord(const QString& name, const QString& id, int alarms = 0) {
    TClientListHold hold(list);
    TDTClient* c = list.AddClient();
    c->sName = name;
    c->sID = id;
    c->bConnected = !id.isEmpty();
    c->ctx = std::make_shared<TCnx>(asio::ip::tcp::socket(io), ++cnxNumber);
    c->adtAlarms.assign(std::size_t(alarms), qmclock::Now());
    return c;
  }
  void AddFolder(const QString& folder, const QString& name = {}, const QString& type = {}) {
    ASSERT_TRUE(QDir().mkpath(dataPath + folder));
    if (name.isEmpty() && type.isEmpty()) return;
    IniFile ini(dataPath + folder + "/term.cfg");
    if (!name.isEmpty()) ini.WriteString("head", "name", name);
    if (!type.isEmpty()) ini.WriteString("head", "type", type);
  }
  QStringList Names() const {
    QStringList out;
    for (const auto& r : table.Rows()) out << r.name;
    return out;
  }
  QStringList Alarms() const {
    QStringList out;
    for (const auto& r : table.Rows()) out << r.alarms;
    return out;
  }
  void Update(bool force = false) { table.Update(list, force, settings); }

  QTemporaryDir dir;
  QString dataPath;
  asio::io_context io;
  quint64 cnxNumber = 0;
  TClientList list;
  TClientTable table;
  TClientTable::Settings settings;
};

TEST_F(ClientTableTest, EmptyShowsNoConnections) {
  Update(true);
  ASSERT_EQ(table.Rows().size(), 1u);
  EXPECT_EQ(table.Rows()[0], (TClientTable::Row{"No connections", "", nullptr}));
  EXPECT_EQ(table.EntryCount(), 0);
  EXPECT_EQ(table.CnxText(), "Connections: 0");
}

TEST_F(ClientTableTest, SortOrders) {
  AddRecord("a", "ID-A", 0);
  AddRecord("d", "ID-D", 1);
  AddRecord("C", "ID-C", 3);
  AddRecord("b", "ID-B", 3);
  Update(true);
  EXPECT_EQ(Names(), (QStringList{"a", "b", "C", "d"}));  // case ignored
  EXPECT_EQ(Alarms(), (QStringList{"0", "3", "3", "1"}));
  settings.sortBy = "alarm";
  Update(true);
  EXPECT_EQ(Names(), (QStringList{"b", "C", "d", "a"}));  // equal counts keep the name order
  EXPECT_EQ(Alarms(), (QStringList{"3", "3", "1", "0"}));
}

// The order is kept between refreshes; every change it depends on sorts again.
TEST_F(ClientTableTest, OrderFollowsNamesCountsAndRecordsBetweenRefreshes) {
  TDTClient* a = AddRecord("a", "ID-A", 0);
  AddRecord("b", "ID-B", 1);
  Update(true);
  a->sName = "c";
  Update(true);
  EXPECT_EQ(Names(), (QStringList{"b", "c"}));
  settings.sortBy = "alarm";
  Update(true);
  EXPECT_EQ(Names(), (QStringList{"b", "c"}));
  a->adtAlarms.assign(2, qmclock::Now());
  Update();  // a count that changed forces the rewrite
  EXPECT_EQ(Names(), (QStringList{"c", "b"}));
  EXPECT_EQ(Alarms(), (QStringList{"2", "1"}));
  {
    TClientListHold hold(list);
    list.DeleteClient(a);
  }
  AddRecord("a", "ID-A2", 5);
  Update(true);
  EXPECT_EQ(Names(), (QStringList{"a", "b"}));
  EXPECT_EQ(Alarms(), (QStringList{"5", "1"}));
}

TEST_F(ClientTableTest, ConnectingRowComesFirstByName) {
  AddRecord("alpha", "ID-A", 2);
  TDTClient* pending = AddRecord("", "");
  Update(true);
  EXPECT_EQ(Names(), (QStringList{"Connecting...", "alpha"}));
  EXPECT_EQ(Alarms(), (QStringList{"0", "2"}));
  EXPECT_EQ(table.Rows()[0].ctx, pending->ctx);
  EXPECT_TRUE(table.EntryConnected(0));
}

TEST_F(ClientTableTest, DeadMonitorRows) {
  AddRecord("Live one", "LIVE");
  AddFolder("LIVE", "Live one");  // a connected monitor's folder: not listed again
  AddFolder("DEAD1", "Old garden", "Quietmark-SE");
  AddFolder("DEAD2");  // no term.cfg: empty name
  AddFolder(".hidden", "x");
  AddFolder("__MOVED", "x");
  AddFolder("__MOVED[001]", "x");
  ASSERT_TRUE(QFile(dataPath + "clientlist.csv").open(QIODevice::WriteOnly));  // not a folder
  ASSERT_TRUE(QFile::link(dataPath + "DEAD1", dataPath + "LINKED"));           // not a real folder
  Update(true);
  ASSERT_EQ(table.Rows().size(), 3u);
  EXPECT_EQ(table.Rows()[0], (TClientTable::Row{"Live one", "0", table.Rows()[0].ctx}));
  QStringList dead = {table.EntryText(1), table.EntryText(2)};
  dead.sort();
  EXPECT_EQ(dead, (QStringList{"DEAD1", "DEAD2"}));
  for (int i = 1; i <= 2; ++i) {
    const auto& row = table.Rows()[std::size_t(i)];
    EXPECT_EQ(row.alarms, "-");
    EXPECT_EQ(row.ctx, nullptr);
    EXPECT_EQ(row.name, table.EntryText(i) == "DEAD1" ? "Old garden" : "");
    EXPECT_FALSE(table.EntryConnected(i));
  }
}

TEST_F(ClientTableTest, ConnectedRowsAreRewrittenOnlyWhenForcedOrCountsChange) {
  TDTClient* c = AddRecord("one", "ID1");
  Update(true);
  c->sName = "renamed";
  Update(false);
  EXPECT_EQ(Names(), QStringList{"one"});  // not forced: the row stays
  c->adtAlarms.push_back(qmclock::Now());
  Update(false);  // a changed alarm count forces the rewrite
  EXPECT_EQ(Names(), QStringList{"renamed"});
  EXPECT_EQ(Alarms(), QStringList{"1"});
  AddRecord("two", "ID2");
  Update(false);  // the row count changed
  EXPECT_EQ(Names(), (QStringList{"renamed", "two"}));
}

TEST_F(ClientTableTest, DeadRowsFollowTheDiskOnEveryRefresh) {
  AddFolder("M1", "First");
  Update(false);
  EXPECT_EQ(Names(), QStringList{"First"});
  const int reads = table.Folders().nameReads;
  const int scans = table.Folders().scans;
  // Renamed on disk with a new size: seen at the next refresh.
  IniFile(dataPath + "M1/term.cfg").WriteString("head", "name", "First renamed");
  Update(false);
  EXPECT_EQ(Names(), QStringList{"First renamed"});
  AddFolder("M2", "Second");
  Update(false);
  EXPECT_EQ(table.Rows().size(), 2u);
  QDir(dataPath + "M1").removeRecursively();
  Update(false);
  EXPECT_EQ(Names(), QStringList{"Second"});
  EXPECT_GT(table.Folders().nameReads, reads);
  EXPECT_GT(table.Folders().scans, scans);
}

TEST_F(ClientTableTest, SettledFoldersAreNotReadAgain) {
  AddFolder("M1", "First");
  AddFolder("M2", "Second");
  // Stamps older than two seconds are trusted.
  const QDateTime old = QDateTime::currentDateTime().addSecs(-10);
  for (const QString& p : {dataPath + "M1/term.cfg", dataPath + "M2/term.cfg"}) {
    QFile f(p);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(old, QFileDevice::FileModificationTime));
  }
  const utimbuf times{old.toSecsSinceEpoch(), old.toSecsSinceEpoch()};
  ASSERT_EQ(::utime(QFile::encodeName(dataPath).constData(), &times), 0);
  Update(false);
  const int reads = table.Folders().nameReads;
  const int scans = table.Folders().scans;
  for (int i = 0; i < 5; ++i) Update(false);
  EXPECT_EQ(table.Folders().nameReads, reads);
  EXPECT_EQ(table.Folders().scans, scans);
  EXPECT_EQ(table.Rows().size(), 2u);
  // A new folder changes the data path's stamp and is listed at once.
  AddFolder("M3", "Third");
  Update(false);
  EXPECT_EQ(table.Rows().size(), 3u);
}

TEST_F(ClientTableTest, HiddenTableStillCountsConnections) {
  AddRecord("one", "ID1");
  AddRecord("two", "ID2");
  AddRecord("three", "ID3");
  settings.clientList = false;
  int cnx = 4;
  settings.cnxCount = [&] { return cnx; };
  Update(true);
  EXPECT_EQ(table.CnxText(), "Connections: 3/4");
  EXPECT_TRUE(table.Rows().empty());  // untouched while hidden
  cnx = 3;
  Update(false);
  EXPECT_EQ(table.CnxText(), "Connections: 3");
}

TEST_F(ClientTableTest, DeleteMonitorSuffixes) {
  AddFolder("GONE", "Gone");
  EXPECT_EQ(TClientTable::MoveAsideTarget(dataPath, "GONE"), dataPath + "__GONE");
  ASSERT_TRUE(TClientTable::MoveAside(dataPath, "GONE"));
  EXPECT_TRUE(QFileInfo::exists(dataPath + "__GONE/term.cfg"));
  for (const char* next : {"__GONE[001]", "__GONE[002]"}) {
    AddFolder("GONE", "Gone again");
    ASSERT_TRUE(TClientTable::MoveAside(dataPath, "GONE"));
    EXPECT_TRUE(QFileInfo(dataPath + next).isDir()) << next;
  }
  Update(true);
  EXPECT_EQ(Names(), QStringList{"No connections"});  // moved-aside folders are never listed
  // All 999 suffixes taken: the last is tried, and the rename fails.
  for (int k = 3; k <= 999; ++k)
    ASSERT_TRUE(QDir().mkdir(dataPath + QString("__GONE[%1]").arg(k, 3, 10, QChar('0'))));
  EXPECT_EQ(TClientTable::MoveAsideTarget(dataPath, "GONE"), dataPath + "__GONE[999]");
  AddFolder("GONE");
  EXPECT_FALSE(TClientTable::MoveAside(dataPath, "GONE"));
  EXPECT_TRUE(QFileInfo(dataPath + "GONE").isDir());
}

}  // namespace
