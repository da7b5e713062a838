#include "core/TDTClient.h"
#include "supervisor/CommandTable.h"
#include "supervisor/TSupervisor.h"
#include "support/FakeUi.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandTable, FirstEntryWhoseCommandAndFieldCountFitTakesTheLine) {
  TCommandTable table;
  QStringList calls;
  auto record = [&](const char* name, bool result) {
    return [&calls, name, result](TDTClient&, const QStringList& f) {
      calls << QString("%1 %2").arg(name).arg(f.size());
      return result;
    };
  };
  table.Add("cpse", 4, 4, record("short", true));
  table.Add("cpse", 4, 5, record("long", true));
  table.Add("live", 2, TCommandTable::kNoLimit, record("live", false));
  table.Add("rebooting", 1, 1);
  TDTClient c;
  struct Case {
    QStringList fields;
    bool handled;
    const char* call;
  } cases[] = {
      {{"cpse", "a", "b", "c"}, true, "short 4"},
      {{"cpse", "a", "b", "c", "d"}, true, "long 5"},
      {{"cpse", "a", "b"}, false, nullptr},
      {{"cpse", "a", "b", "c", "d", "e"}, false, nullptr},
      {{"live", "x", "y", "z", "w", "v", "u"}, false, "live 7"},  // the handler's answer counts
      {{"live"}, false, nullptr},
      {{"rebooting"}, true, nullptr},  // no handler: accepted
      {{"REBOOTING"}, false, nullptr},
      {{""}, false, nullptr},
  };
  for (const auto& k : cases) {
    calls.clear();
    EXPECT_EQ(table.Dispatch(c, k.fields), k.handled) << k.fields.join('&').toStdString();
    EXPECT_EQ(calls, k.call ? QStringList{k.call} : QStringList{})
        << k.fields.join('&').toStdString();
  }
  EXPECT_FALSE(table.SetHandler("nothing", record("x", true)));
  EXPECT_TRUE(table.SetHandler("cpse", record("both", false)));
  EXPECT_FALSE(table.Dispatch(c, {"cpse", "a", "b", "c"}));
  EXPECT_FALSE(table.Dispatch(c, {"cpse", "a", "b", "c", "d"}));
  EXPECT_EQ(calls, (QStringList{"both 4", "both 5"}));
}

// The remote-settings dialog's hand-over: the replies are accepted until a handler is
// registered, then they go to it with their field counts kept.
TEST(CommandTable, SettingsRepliesGoToTheRegisteredHandler) {
  QTemporaryDir dir;
  FakeUi ui;
  TSupervisor sup(&ui, TSupervisor::Options{{"test"}, qmtest::TempEnv(dir), false});
  TDTClient c;
  EXPECT_TRUE(sup.ProcessCmd(c, "getsettings&a=1&b=2"));
  EXPECT_TRUE(sup.ProcessCmd(c, "setsettings&ok"));
  EXPECT_FALSE(sup.ProcessCmd(c, "setsettings&ok&more"));

  QStringList got;
  ASSERT_TRUE(sup.RegisterHandler("getsettings", [&](TDTClient&, const QStringList& f) {
    got << f.join('&');
    return true;
  }));
  ASSERT_TRUE(sup.RegisterHandler("setsettings", [&](TDTClient&, const QStringList& f) {
    got << f.join('&');
    return f[1] == "ok";
  }));
  EXPECT_TRUE(sup.ProcessCmd(c, "getsettings&a=1&b=2"));
  EXPECT_TRUE(sup.ProcessCmd(c, "setsettings&ok"));
  EXPECT_FALSE(sup.ProcessCmd(c, "setsettings&failed"));
  EXPECT_FALSE(sup.ProcessCmd(c, "getsettings"));
  EXPECT_EQ(got, (QStringList{"getsettings&a=1&b=2", "setsettings&ok", "setsettings&failed"}));
  EXPECT_FALSE(sup.RegisterHandler("nosuchcommand", {}));
}

}  // namespace
