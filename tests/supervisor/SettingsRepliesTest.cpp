#include "support/SupervisorFixture.h"

namespace {

using qmtest::WaitFor;
using Lines = QList<QByteArray>;

// Records what reaches the remote settings hand-off.
class SettingsUi : public FakeUi {
 public:
  void RemoteSettingsReply(const TCtx& ctx, const QString& sType, const QString& sID,
                           const QStringList& sl) override {
    got << QString("get %1 %2 %3 %4").arg(ctx ? "ctx" : "none", sType, sID, sl.join('&'));
  }
  void RemoteSettingsSent(const TCtx& ctx, bool bOK) override {
    got << QString("set %1 %2").arg(ctx ? "ctx" : "none", bOK ? "ok" : "failed");
  }
  QStringList got;
};

class SettingsRepliesTest : public SupervisorFixture {
 protected:
  void SetUp() override {
    SupervisorFixture::SetUp();
    sup->SetUi(&settingsUi);
  }
  void TearDown() override {
    sup->SetUi(nullptr);
    SupervisorFixture::TearDown();
  }
  SettingsUi settingsUi;
};

TEST_F(SettingsRepliesTest, OnlyTheRightFieldCountsReachTheDialogAndNoneIsAnError) {
  auto c = Connect();
  c->Send("cpse&SE-1&Hall&core,1.0\r\n");
  ASSERT_TRUE(WaitFor([&] { return Record("SE-1") != nullptr; }));
  c->ReadFor(300);  // the stream and download requests
  struct Case {
    QByteArray line;
    const char* got;    // what the hand-off sees; empty: nothing
    QByteArray answer;  // the supervisor's answer; empty: none
  } cases[] = {
      {"getsettings&name=Hall&trig1=60", "get ctx Quietmark-SE SE-1 getsettings&name=Hall&trig1=60",
       ""},
      {"getsettings&", "get ctx Quietmark-SE SE-1 getsettings&", ""},
      {"getsettings", "", "getsettings&error"},
      {"setsettings&ok", "set ctx ok", ""},
      {"setsettings&fail", "set ctx failed", ""},
      {"setsettings&OK", "set ctx failed", ""},
      {"setsettings", "", "setsettings&error"},
      {"setsettings&ok&more", "", "setsettings&error"},
  };
  for (const auto& k : cases) {
    settingsUi.got.clear();
    c->Send(k.line + "\r\n");
    if (k.answer.isEmpty()) {
      EXPECT_TRUE(c->ReadFor(200).isEmpty()) << k.line.constData();
    } else {
      EXPECT_EQ(c->ReadLines(1), Lines{k.answer}) << k.line.constData();
    }
    EXPECT_EQ(settingsUi.got, *k.got ? QStringList{k.got} : QStringList()) << k.line.constData();
  }
}

TEST_F(SettingsRepliesTest, WithoutAnOpenDialogTheRepliesAreStillHandled) {
  sup->SetUi(&ui);  // the plain fake: no hand-off of its own
  auto c = Connect();
  c->Send("cpdt&DT-1\r\n");
  ASSERT_TRUE(WaitFor([&] { return Record("DT-1") != nullptr; }));
  c->ReadFor(200);
  c->Send("getsettings&name=A\r\nsetsettings&ok\r\n");
  EXPECT_TRUE(c->ReadFor(300).isEmpty());
  EXPECT_FALSE(LogHas("rx error:"));
}

}  // namespace
