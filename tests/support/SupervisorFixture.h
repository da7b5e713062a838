#pragma once

#include "core/IniFile.h"
#include "supervisor/TSupervisor.h"
#include "support/FakeUi.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// A supervisor core listening on a free port, with a fake main window.
class SupervisorFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    env = qmtest::TempEnv(dir);
    qmtest::WriteTestSettings(env, settings);
    sup = std::make_unique<TSupervisor>(&ui, TSupervisor::Options{{"test"}, env, false});
    sup->Start();
    ASSERT_TRUE(qmtest::WaitFor([&] { return sup->Server()->BoundPort() != 0; }));
  }
  void TearDown() override { sup.reset(); }

  // A raw connection that has read its greeting.
  std::unique_ptr<qmtest::Client> Connect() {
    auto c = std::make_unique<qmtest::Client>(sup->Server()->BoundPort());
    EXPECT_EQ(c->ReadLines(1), QList<QByteArray>{"cnx"});
    return c;
  }
  // Connects and identifies; returns the lines the supervisor sent after the identification.
  std::unique_ptr<qmtest::Client> Identify(const QByteArray& line, QList<QByteArray>* after,
                                           int expectLines) {
    auto c = Connect();
    c->Send(line + "\r\n");
    *after = c->ReadLines(expectLines);
    return c;
  }
  TDTClient* Record(const QString& id) {
    TClientListHold hold(sup->Clients());
    return sup->Clients().GetClientFromID(id);
  }
  int RecordCount() {
    TClientListHold hold(sup->Clients());
    return sup->Clients().Count();
  }
  bool LogHas(const QString& text) const {
    for (const QString& l : sup->Log().Lines())
      if (l.contains(text)) return true;
    return false;
  }
  QString DataPath() { return sup->Cfg().DataPath(); }

  std::vector<std::pair<QString, QString>> settings;  // "section/key" -> value, before SetUp
  QTemporaryDir dir;
  TCfg::Env env;
  FakeUi ui;
  std::unique_ptr<TSupervisor> sup;
};
