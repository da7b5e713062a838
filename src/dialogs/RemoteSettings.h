#pragma once

#include <QString>
#include <QStringList>

#include <array>

// What the remote settings dialog knows and decides, without widgets: the trackbars with their
// ranges and linked rules, the tabs, the translation of a "getsettings" reply and the
// "setsettings" line for each monitor type. The dialog shows this state and feeds user input in.
namespace qmcfgdt {

enum class TMonitorKind { Unknown, CalmpointDT, QuietmarkSE, QuietmarkNG };
TMonitorKind KindOf(const QString& sType);

// One row of the Calmpoint-DT presets: yellow, red and alarm seconds.
struct TSensPreset {
  int trig1;
  int trig2;
  int almsecs;
};
// Row p - 1 stands for slider position p (1 "Library" .. 10 "Lively Office").
extern const std::array<TSensPreset, 10> kSensitivity;

enum TBar {
  barSens,
  barTrig1,
  barTrig2,
  barAlarm,
  barSETrig1,
  barSETrig2,
  barSEAlmTime,
  barSEMin,
  barSEMax,
  kBarCount
};

struct TBarRange {
  int min;
  int max;
};
TBarRange RangeOf(TBar bar);

enum TTab { tabStandard, tabAdvanced, tabLevels, tabTimeZone, tabRemoteSupport, kTabCount };

// The name field takes at most this many typed characters; a longer name from a reply stays.
constexpr int kNameMaxTyped = 16;
// Whether an edit of the name by the user is taken: it may not grow the text past the limit.
bool AcceptTypedName(const QString& before, const QString& after);
// "&" and "=" would break the message apart.
bool ValidName(const QString& name);

class TRemoteSettings {
 public:
  TRemoteSettings();

  int Position(TBar bar) const { return pos_[bar]; }
  // Clamps to the bar's range; when the position changes, runs the bar's rule, so linked bars
  // follow.
  void SetPosition(TBar bar, int position);
  // The label beside a bar ("---.-" or "65 dB"; "3 seconds"); empty for the slider.
  QString Label(TBar bar) const;
  // 0-based preset row equal to yellow, red and alarm seconds (the last one that matches), or -1.
  int GetSensitivity() const;

  bool TabVisible(TTab tab) const { return tabVisible_[tab]; }
  TTab ActiveTab() const { return activeTab_; }
  void SetActiveTab(TTab tab);
  bool PanelVisible() const { return panelVisible_; }
  void SetPanelVisible(bool visible);

  // Takes a "getsettings" reply (field 0 is the command) for a monitor of the type; false when
  // it cannot be translated (values taken before the bad field stay). Leaves the panel hidden;
  // ShowPanel makes it visible once the dialog is ready.
  bool TakeReply(const QString& sType, const QStringList& sl);
  TMonitorKind Kind() const { return kind_; }

  // The "setsettings" line for the type; empty when none can be built.
  QString SetSettingsLine() const;
  // "shutdown" for Calmpoint-DT and Quietmark-NG, "reboot" otherwise (also before any reply).
  QString RebootCommand() const;
  QString RebootCaption() const;

  // A pick in the zone tree: a leaf becomes the new zone, an area changes nothing.
  void PickZone(int node);

  QString name;
  bool notify = false;
  bool rsm = false;
  QString sCurrentTz;
  QString sNewTz;

 private:
  void RunRule(TBar bar);
  void KeepApart(TBar low, TBar high, TBar moved, int gap);
  void ApplyPreset(int row);
  void UpdateStandardShowing();

  std::array<int, kBarCount> pos_{};
  std::array<bool, kBarCount> changed_{};
  std::array<bool, kTabCount> tabVisible_{};
  TTab activeTab_ = tabStandard;
  bool panelVisible_ = false;
  bool standardShowing_ = false;
  TMonitorKind kind_ = TMonitorKind::Unknown;
};

}  // namespace qmcfgdt
