#pragma once

#include "core/Clock.h"
#include "download/DataFiles.h"
#include "download/TDownloader.h"
#include "supervisor/TSupervisor.h"
#include "support/FakeUi.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

inline QStringList FileLines(const QString& path) {
  return qmfiles::Load(path).value_or(QStringList{});
}

inline QByteArray FileBytes(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  return f.readAll();
}

// Drives the storing of replies through the dispatcher on a record, with today fixed at
// 2024-03-07 15:00.
class DownloaderTest : public ::testing::Test {
 protected:
  DownloaderTest() : sup(&ui, TSupervisor::Options{{"test"}, qmtest::TempEnv(dir), false}) {
    qmclock::SetSource([] { return QDateTime(QDate(2024, 3, 7), QTime(15, 0)); });
    client.sID = "M1";
    client.sType = "Quietmark-NG";
    client.bConnected = true;
    client.frame = &window;
  }
  ~DownloaderTest() override { qmclock::SetSource({}); }

  // The dispatcher's answer: handled, or the error reply. Files handed to the storage thread
  // are on the disk when it returns.
  bool Rx(const QString& line) {
    const bool handled = sup.ProcessCmd(client, line);
    EXPECT_TRUE(sup.Downloader().WaitForStorage(10000));
    return handled;
  }
  QString Month(const QString& month = "2024-03") { return client.Folder() + "/" + month + "/"; }
  void Write(const QString& relative, const QStringList& lines) {
    const QString path = client.Folder() + "/" + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(qmfiles::Save(path, lines));
  }
  int LogCount(const QString& text) {
    int n = 0;
    for (const QString& l : sup.Log().Lines())
      if (l.contains(text)) ++n;
    return n;
  }
  bool LogHas(const QString& text) { return LogCount(text) > 0; }

  QTemporaryDir dir;
  FakeUi ui;
  TSupervisor sup;
  FakeWindow window;
  TDTClient client;
};
