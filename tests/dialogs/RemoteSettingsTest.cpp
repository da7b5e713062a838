#include "dialogs/RemoteSettings.h"
#include "dialogs/TimeZones.h"

#include <gtest/gtest.h>

using namespace qmcfgdt;

namespace {

const QString kDT = "Calmpoint-DT";
const QString kSE = "Quietmark-SE";
const QString kNG = "Quietmark-NG";

QStringList Reply(const QString& fields) { return ("getsettings&" + fields).split('&'); }

// A model that has taken a reply and shows its panel, as the dialog leaves it.
TRemoteSettings Shown(const QString& type, const QString& fields) {
  TRemoteSettings m;
  EXPECT_TRUE(m.TakeReply(type, Reply(fields))) << fields.toStdString();
  m.SetPanelVisible(true);
  return m;
}

int Node(const QString& path) {
  for (int i = 0; i < int(qmzones::ZoneNodes().size()); ++i)
    if (qmzones::ZonePath(i) == path) return i;
  return -1;
}

TEST(RemoteSettings, GetSensitivityFindsThePresetRow) {
  TRemoteSettings m;
  for (int row = 0; row < 10; ++row) {
    const TSensPreset& p = kSensitivity[row];
    m.SetPosition(barTrig2, 60);
    m.SetPosition(barTrig1, p.trig1);
    m.SetPosition(barTrig2, p.trig2);
    m.SetPosition(barAlarm, p.almsecs);
    EXPECT_EQ(m.GetSensitivity(), row);
  }
  m.SetPosition(barAlarm, 0);
  EXPECT_EQ(m.GetSensitivity(), -1);
  EXPECT_EQ(kSensitivity[0].trig1, 7);
  EXPECT_EQ(kSensitivity[9].trig2, 45);
}

TEST(RemoteSettings, BarsClampAndLinkedRulesFollow) {
  struct Case {
    const char* type;
    const char* fields;
    std::vector<std::pair<TBar, int>> expect;
  };
  const Case cases[] = {
      {"Calmpoint-DT", "trigrel1=70", {{barTrig1, 60}, {barTrig2, 60}}},
      {"Calmpoint-DT", "trigrel1=30&trigrel2=20", {{barTrig1, 20}, {barTrig2, 20}}},
      {"Calmpoint-DT", "trigrel2=20&trigrel1=30", {{barTrig1, 30}, {barTrig2, 30}}},
      {"Calmpoint-DT", "almsecs=9&trigrel1=-4", {{barAlarm, 5}, {barTrig1, 5}}},
      {"Quietmark-SE", "ledmax=200", {{barSEMax, 140}}},
      {"Quietmark-SE", "ledmin=0&trigtime=99", {{barSEMin, 10}, {barSEAlmTime, 60}}},
      {"Quietmark-SE", "ledmin=30&ledmax=110", {{barSEMin, 30}, {barSEMax, 110}}},
      // The display range keeps 10 dB: a high minimum pushes the maximum, a low maximum the
      // minimum, each within its range.
      {"Quietmark-SE", "ledmax=60&ledmin=55", {{barSEMin, 55}, {barSEMax, 65}}},
      {"Quietmark-SE", "ledmin=80&ledmax=30", {{barSEMin, 20}, {barSEMax, 30}}},
      {"Quietmark-NG", "ledmin=135", {{barSEMin, 130}, {barSEMax, 140}}},
      {"Quietmark-NG", "trig1=90&trig2=60", {{barSETrig1, 60}, {barSETrig2, 60}}},
      {"Quietmark-NG", "trig2=60&trig1=90", {{barSETrig1, 90}, {barSETrig2, 90}}},
  };
  for (const Case& c : cases) {
    TRemoteSettings m;
    ASSERT_TRUE(m.TakeReply(c.type, Reply(c.fields))) << c.fields;
    for (const auto& [bar, pos] : c.expect)
      EXPECT_EQ(m.Position(bar), pos) << c.type << " " << c.fields << " bar " << bar;
  }
}

TEST(RemoteSettings, LabelsShowDashesUntilTheirBarFirstMoves) {
  TRemoteSettings m;
  EXPECT_EQ(m.Label(barTrig1), "---.-");
  EXPECT_EQ(m.Label(barSEMax), "---.-");
  EXPECT_EQ(m.Label(barAlarm), "seconds");
  EXPECT_EQ(m.Label(barSEAlmTime), "-- seconds");
  m.SetPosition(barSETrig1, 20);  // where it stands already: no change
  EXPECT_EQ(m.Label(barSETrig1), "---.-");
  m.SetPosition(barSETrig1, 200);
  EXPECT_EQ(m.Label(barSETrig1), "120 dB");
  EXPECT_EQ(m.Label(barSETrig2), "120 dB");  // pulled along
  const std::pair<int, const char*> seconds[] = {
      {1, "1 second"}, {2, "2 seconds"}, {0, "0 seconds"}};
  for (const auto& [n, text] : seconds) {
    m.SetPosition(barSEAlmTime, n);
    EXPECT_EQ(m.Label(barSEAlmTime), text);
  }
}

TEST(RemoteSettings, CalmpointOpensOnStandardOnlyForAPreset) {
  TRemoteSettings preset = Shown(kDT, "trigrel1=18&trigrel2=25&almsecs=1");
  EXPECT_EQ(preset.ActiveTab(), tabStandard);
  EXPECT_EQ(preset.Position(barSens), 5);
  EXPECT_TRUE(preset.TabVisible(tabAdvanced));
  EXPECT_FALSE(preset.TabVisible(tabLevels));

  TRemoteSettings row2 = Shown(kDT, "trigrel1=10&trigrel2=16&almsecs=1");
  EXPECT_EQ(row2.ActiveTab(), tabStandard);
  EXPECT_EQ(row2.Position(barSens), 2);

  TRemoteSettings other = Shown(kDT, "trigrel1=19&trigrel2=25&almsecs=1");
  EXPECT_EQ(other.ActiveTab(), tabAdvanced);
  EXPECT_EQ(other.Position(barSens), 1);
  other.SetActiveTab(tabStandard);  // the slider goes to the middle and applies its row
  EXPECT_EQ(other.Position(barSens), 5);
  EXPECT_EQ(other.Position(barTrig1), 18);
  EXPECT_EQ(other.Position(barTrig2), 25);
  EXPECT_EQ(other.Position(barAlarm), 1);

  // Moving the slider applies its row, also towards lower triggers.
  other.SetPosition(barSens, 10);
  EXPECT_EQ(other.GetSensitivity(), 9);
  other.SetPosition(barSens, 1);
  EXPECT_EQ(other.Position(barTrig1), 7);
  EXPECT_EQ(other.Position(barTrig2), 10);
  EXPECT_EQ(other.Position(barAlarm), 1);
}

TEST(RemoteSettings, NotifyAndRemoteSupportOnlyForOne) {
  const std::pair<const char*, bool> values[] = {
      {"1", true}, {"0", false}, {"yes", false}, {"", false}};
  for (const auto& [value, on] : values) {
    EXPECT_EQ(Shown(kDT, QString("notify=") + value).notify, on) << value;
    TRemoteSettings se = Shown(kSE, QString("rsm=") + value);
    EXPECT_EQ(se.rsm, on) << value;
    EXPECT_TRUE(se.TabVisible(tabRemoteSupport));
  }
}

TEST(RemoteSettings, QuietmarkTabsFollowTheReply) {
  TRemoteSettings plain = Shown(kNG, "name=A&trig1=60");
  EXPECT_EQ(plain.ActiveTab(), tabLevels);
  EXPECT_FALSE(plain.TabVisible(tabTimeZone));
  EXPECT_FALSE(plain.TabVisible(tabRemoteSupport));
  EXPECT_FALSE(plain.TabVisible(tabStandard));
  TRemoteSettings full = Shown(kSE, "name=A&tz=Europe/London&rsm=1");
  EXPECT_TRUE(full.TabVisible(tabTimeZone));
  EXPECT_EQ(full.sCurrentTz, "Europe/London");
  // A later reply without them hides them again and forgets the zone.
  ASSERT_TRUE(full.TakeReply(kSE, Reply("name=A")));
  EXPECT_FALSE(full.TabVisible(tabTimeZone));
  EXPECT_FALSE(full.TabVisible(tabRemoteSupport));
  EXPECT_EQ(full.sCurrentTz, "");
}

TEST(RemoteSettings, UntranslatableReplies) {
  struct Case {
    const char* type;
    const char* fields;
    bool ok;
  };
  const Case cases[] = {
      {"Calmpoint-DT", "trigrel1=abc", false},
      {"Calmpoint-DT", "trigrel1=", false},
      {"Calmpoint-DT", "name=A&&notify=1", false},  // an empty field
      {"Calmpoint-DT", "notify", false},            // a known key without a value
      {"Calmpoint-DT", "name", false},
      {"Calmpoint-DT", "colour", true},  // unknown keys are ignored
      {"Calmpoint-DT", "trigrel1=12=3", true},
      {"Quietmark-SE", "trig1=1.5", false},
      {"Quietmark-SE", "ledmax=99999999999", false},
      {"Quietmark-SE", "trig1&name=B", true},  // a field without "=" is skipped
      {"Quietmark-NG", "&&name=B", true},
      {"Quietmark-NG", "colour=red", true},
      {"", "name=B", false},
      {"Other", "name=B", false},
  };
  for (const Case& c : cases) {
    TRemoteSettings m;
    EXPECT_EQ(m.TakeReply(c.type, Reply(c.fields)), c.ok) << c.type << " " << c.fields;
  }
  // Values before the bad field stay.
  TRemoteSettings m;
  EXPECT_FALSE(m.TakeReply(kDT, Reply("name=Kept&trigrel1=30&trigrel2=x&almsecs=4")));
  EXPECT_EQ(m.name, "Kept");
  EXPECT_EQ(m.Position(barTrig1), 30);
  EXPECT_EQ(m.Position(barAlarm), 0);
  EXPECT_FALSE(m.PanelVisible());
}

TEST(RemoteSettings, SetSettingsLinePerType) {
  TRemoteSettings dt = Shown(kDT, "name=Office 2&trigrel1=19&trigrel2=25&almsecs=3&notify=1");
  EXPECT_EQ(dt.SetSettingsLine(),
            "setsettings&name=Office 2&trigrel1=19&trigrel2=25&almsecs=3&notify=1");
  dt.notify = false;
  dt.name = "%1 & %2";  // written as typed, nothing escaped or substituted
  EXPECT_EQ(dt.SetSettingsLine(),
            "setsettings&name=%1 & %2&trigrel1=19&trigrel2=25&almsecs=3&notify=0");

  const QString seFields =
      "name=Hall&trig1=55&trig2=61&trigtime=3&ledmin=30&ledmax=110&tz=Europe/London&rsm=1";
  TRemoteSettings se = Shown(kSE, seFields);
  EXPECT_EQ(se.SetSettingsLine(),
            "setsettings&name=Hall&trig1=55&trig2=61&trigtime=3&ledmin=30&ledmax=110&rsm=1");
  TRemoteSettings ng = Shown(kNG, seFields);
  ng.sNewTz = "Europe/Paris";
  EXPECT_EQ(ng.SetSettingsLine(),
            "setsettings&name=Hall&trig1=55&trig2=61&trigtime=3&ledmin=30&ledmax=110");

  TRemoteSettings none;
  EXPECT_EQ(none.SetSettingsLine(), "");
}

TEST(RemoteSettings, ZonePicks) {
  struct Case {
    const char* pick;     // paths picked one after another, "|"-separated
    const char* newTz;    // then sNewTz
    const char* tzField;  // and the tail of the SE line
  };
  const Case cases[] = {
      {"", "", ""},
      {"Europe", "", ""},
      {"Europe/London", "Europe/London", ""},  // the zone the monitor reported
      {"Europe/Paris", "Europe/Paris", "&tz=Europe/Paris"},
      {"Europe/Paris|Europe", "Europe/Paris", "&tz=Europe/Paris"},
      {"America/Argentina/Cordoba", "America/Argentina/Cordoba", "&tz=America/Argentina/Cordoba"},
      {"America/Argentina", "", ""},
  };
  for (const Case& c : cases) {
    TRemoteSettings m = Shown(kSE, "name=A&tz=Europe/London");
    for (const QString& p : QString(c.pick).split('|', Qt::SkipEmptyParts)) {
      ASSERT_NE(Node(p), -1) << p.toStdString();
      m.PickZone(Node(p));
    }
    EXPECT_EQ(m.sNewTz, c.newTz) << c.pick;
    EXPECT_TRUE(m.SetSettingsLine().endsWith(QString("&rsm=0") + c.tzField))
        << c.pick << ": " << m.SetSettingsLine().toStdString();
  }
}

TEST(RemoteSettings, RebootCommandByType) {
  const std::tuple<QString, const char*, const char*> cases[] = {
      {kDT, "shutdown", "Shutdown"},
      {kNG, "shutdown", "Shutdown"},
      {kSE, "reboot", "Reboot"},
  };
  for (const auto& [type, command, caption] : cases) {
    TRemoteSettings m;
    m.TakeReply(type, Reply("name=A"));
    EXPECT_EQ(m.RebootCommand(), command) << type.toStdString();
    EXPECT_EQ(m.RebootCaption(), caption);
  }
  EXPECT_EQ(TRemoteSettings().RebootCommand(), "reboot");  // before any reply
}

TEST(RemoteSettings, NameRules) {
  const QString s16(16, 'a'), s17(17, 'a'), s20(20, 'a');
  EXPECT_TRUE(AcceptTypedName(QString(15, 'a'), s16));
  EXPECT_FALSE(AcceptTypedName(s16, s17));
  EXPECT_TRUE(AcceptTypedName(s20, QString(19, 'a')));   // shortening a long name
  EXPECT_FALSE(AcceptTypedName(s20, QString(21, 'a')));  // but not growing it
  EXPECT_FALSE(AcceptTypedName(s20, QString(20, 'b')));  // nor replacing within it
  EXPECT_TRUE(AcceptTypedName("", s16));                 // a paste of 16
  EXPECT_FALSE(AcceptTypedName("", s17));
  EXPECT_TRUE(ValidName("Hall 1"));
  EXPECT_FALSE(ValidName("A&B"));
  EXPECT_FALSE(ValidName("A=B"));
}

}  // namespace
