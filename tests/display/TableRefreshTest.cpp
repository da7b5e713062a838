#include "core/Clock.h"
#include "core/TClientList.h"
#include "display/ClientTable.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(TableRefresh, OneReadingOfTheClockServesTheWholeRefresh) {
  QTemporaryDir dir;
  const QDateTime now = QDateTime::currentDateTime();
  int readings = 0;
  qmclock::SetSource([&] {
    ++readings;
    return now;
  });
  TClientList list;
  for (int i = 0; i < 300; ++i) {
    TClientListHold hold(list);
    TDTClient* c = list.AddClient();
    c->sID = c->sName = QString("M%1").arg(i);
    c->adtAlarms.assign(5, now);
  }
  readings = 0;
  TClientTable table;
  TClientTable::Settings settings;
  settings.dataPath = dir.path() + "/";
  settings.sortBy = "alarm";
  table.Update(list, true, settings);
  EXPECT_LE(readings, 1);
  EXPECT_EQ(table.Rows().front().alarms, "5");
  qmclock::SetSource({});
}

}  // namespace
