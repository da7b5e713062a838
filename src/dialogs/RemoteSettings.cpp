#include "dialogs/RemoteSettings.h"

#include "core/Text.h"
#include "dialogs/TimeZones.h"

#include <algorithm>

namespace qmcfgdt {

const std::array<TSensPreset, 10> kSensitivity = {{{7, 10, 1},
                                                   {10, 16, 1},
                                                   {13, 20, 1},
                                                   {16, 22, 1},
                                                   {18, 25, 1},
                                                   {20, 30, 2},
                                                   {23, 33, 2},
                                                   {26, 36, 2},
                                                   {30, 40, 3},
                                                   {33, 45, 4}}};

TMonitorKind KindOf(const QString& sType) {
  if (sType == QLatin1String("Calmpoint-DT")) return TMonitorKind::CalmpointDT;
  if (sType == QLatin1String("Quietmark-SE")) return TMonitorKind::QuietmarkSE;
  if (sType == QLatin1String("Quietmark-NG")) return TMonitorKind::QuietmarkNG;
  return TMonitorKind::Unknown;
}

TBarRange RangeOf(TBar bar) {
  switch (bar) {
    case barSens:
      return {1, 10};
    case barTrig1:
    case barTrig2:
      return {5, 60};
    case barAlarm:
      return {0, 5};
    case barSETrig1:
    case barSETrig2:
      return {20, 120};
    case barSEAlmTime:
      return {0, 60};
    case barSEMin:
      return {10, 130};
    case barSEMax:
      return {20, 140};
    case kBarCount:
      break;
  }
  return {0, 0};
}

bool AcceptTypedName(const QString& before, const QString& after) {
  return after.size() <= kNameMaxTyped || after.size() < before.size();
}

bool ValidName(const QString& name) {
  return !name.contains(QLatin1Char('&')) && !name.contains(QLatin1Char('='));
}

TRemoteSettings::TRemoteSettings() {
  for (int b = 0; b < kBarCount; ++b) pos_[b] = RangeOf(TBar(b)).min;
  tabVisible_.fill(true);
}

void TRemoteSettings::SetPosition(TBar bar, int position) {
  const TBarRange r = RangeOf(bar);
  position = std::clamp(position, r.min, r.max);
  if (pos_[bar] == position) return;
  pos_[bar] = position;
  changed_[bar] = true;
  RunRule(bar);
}

void TRemoteSettings::RunRule(TBar bar) {
  switch (bar) {
    case barSens:
      ApplyPreset(pos_[barSens] - 1);
      break;
    case barTrig1:
    case barTrig2:
      KeepApart(barTrig1, barTrig2, bar, 0);
      break;
    case barSETrig1:
    case barSETrig2:
      KeepApart(barSETrig1, barSETrig2, bar, 0);
      break;
    case barSEMin:
    case barSEMax:
      KeepApart(barSEMin, barSEMax, bar, 10);
      break;
    case barAlarm:
    case barSEAlmTime:
    case kBarCount:
      break;
  }
}

// Yellow never exceeds red, and the display range spans at least 10 dB: the bar that moved
// pushes the other one along.
void TRemoteSettings::KeepApart(TBar low, TBar high, TBar moved, int gap) {
  if (pos_[high] - pos_[low] >= gap) return;
  if (moved == low)
    SetPosition(high, pos_[low] + gap);
  else
    SetPosition(low, pos_[high] - gap);
}

void TRemoteSettings::ApplyPreset(int row) {
  if (row < 0 || row >= int(kSensitivity.size())) return;
  const TSensPreset& p = kSensitivity[row];
  // Red up first, so that yellow can take any value without pulling red along.
  SetPosition(barTrig2, RangeOf(barTrig2).max);
  SetPosition(barTrig1, p.trig1);
  SetPosition(barTrig2, p.trig2);
  SetPosition(barAlarm, p.almsecs);
}

QString TRemoteSettings::Label(TBar bar) const {
  switch (bar) {
    case barAlarm:
    case barSEAlmTime:
      if (!changed_[bar])
        return bar == barAlarm ? QStringLiteral("seconds") : QStringLiteral("-- seconds");
      return QString::number(pos_[bar]) +
             (pos_[bar] == 1 ? QStringLiteral(" second") : QStringLiteral(" seconds"));
    case barSens:
    case kBarCount:
      return QString();
    default:
      return changed_[bar] ? QString::number(pos_[bar]) + QStringLiteral(" dB")
                           : QStringLiteral("---.-");
  }
}

int TRemoteSettings::GetSensitivity() const {
  int found = -1;
  for (int row = 0; row < int(kSensitivity.size()); ++row) {
    const TSensPreset& p = kSensitivity[row];
    if (p.trig1 == pos_[barTrig1] && p.trig2 == pos_[barTrig2] && p.almsecs == pos_[barAlarm])
      found = row;
  }
  return found;
}

void TRemoteSettings::SetActiveTab(TTab tab) {
  activeTab_ = tab;
  UpdateStandardShowing();
}

void TRemoteSettings::SetPanelVisible(bool visible) {
  panelVisible_ = visible;
  UpdateStandardShowing();
}

// The Standard tab shows the preset that matches the advanced values, or the middle one.
void TRemoteSettings::UpdateStandardShowing() {
  const bool showing = panelVisible_ && activeTab_ == tabStandard && tabVisible_[tabStandard];
  const bool shown = showing && !standardShowing_;
  standardShowing_ = showing;
  if (!shown) return;
  const int row = GetSensitivity();
  SetPosition(barSens, row < 0 ? 5 : row + 1);
}

bool TRemoteSettings::TakeReply(const QString& sType, const QStringList& sl) {
  kind_ = KindOf(sType);
  SetPanelVisible(false);
  const bool dt = kind_ == TMonitorKind::CalmpointDT;
  tabVisible_.fill(false);
  tabVisible_[tabStandard] = tabVisible_[tabAdvanced] = dt;
  tabVisible_[tabLevels] = !dt;
  if (!dt) SetActiveTab(tabLevels);
  if (kind_ == TMonitorKind::Unknown) return false;

  auto setBar = [this](TBar bar, const QString& value) {
    const std::optional<int> n = qmtext::ToInt(value);
    if (n) SetPosition(bar, *n);
    return n.has_value();
  };
  if (dt) {
    for (qsizetype i = 1; i < sl.size(); ++i) {
      if (sl[i].isEmpty()) return false;
      const QStringList part = qmtext::SplitStrict(sl[i], QLatin1Char('='));
      const QString& key = part[0];
      const bool known = key == QLatin1String("name") || key == QLatin1String("trigrel1") ||
                         key == QLatin1String("trigrel2") || key == QLatin1String("almsecs") ||
                         key == QLatin1String("notify");
      if (!known) continue;
      if (part.size() < 2) return false;
      if (key == QLatin1String("name")) {
        name = part[1];
      } else if (key == QLatin1String("notify")) {
        notify = part[1] == QLatin1String("1");
      } else {
        const TBar bar = key == QLatin1String("trigrel1")   ? barTrig1
                         : key == QLatin1String("trigrel2") ? barTrig2
                                                            : barAlarm;
        if (!setBar(bar, part[1])) return false;
      }
    }
    SetActiveTab(GetSensitivity() < 0 ? tabAdvanced : tabStandard);
    return true;
  }

  sCurrentTz.clear();
  static const std::pair<const char*, TBar> kBars[] = {{"trig1", barSETrig1},
                                                       {"trig2", barSETrig2},
                                                       {"trigtime", barSEAlmTime},
                                                       {"ledmin", barSEMin},
                                                       {"ledmax", barSEMax}};
  for (qsizetype i = 1; i < sl.size(); ++i) {
    const QStringList part = qmtext::SplitStrict(sl[i], QLatin1Char('='));
    if (part.size() < 2) continue;
    const QString& key = part[0];
    if (key == QLatin1String("name")) {
      name = part[1];
    } else if (key == QLatin1String("tz")) {
      sCurrentTz = part[1];
      tabVisible_[tabTimeZone] = true;
    } else if (key == QLatin1String("rsm")) {
      rsm = part[1] == QLatin1String("1");
      tabVisible_[tabRemoteSupport] = true;
    } else {
      for (const auto& [k, bar] : kBars)
        if (key == QLatin1String(k) && !setBar(bar, part[1])) return false;
    }
  }
  return true;
}

QString TRemoteSettings::SetSettingsLine() const {
  auto num = [this](TBar bar) { return QString::number(pos_[bar]); };
  QString line = QStringLiteral("setsettings&name=") + name;
  switch (kind_) {
    case TMonitorKind::CalmpointDT:
      return line + QStringLiteral("&trigrel1=") + num(barTrig1) + QStringLiteral("&trigrel2=") +
             num(barTrig2) + QStringLiteral("&almsecs=") + num(barAlarm) +
             QStringLiteral("&notify=") + (notify ? QStringLiteral("1") : QStringLiteral("0"));
    case TMonitorKind::QuietmarkSE:
    case TMonitorKind::QuietmarkNG:
      line += QStringLiteral("&trig1=") + num(barSETrig1) + QStringLiteral("&trig2=") +
              num(barSETrig2) + QStringLiteral("&trigtime=") + num(barSEAlmTime) +
              QStringLiteral("&ledmin=") + num(barSEMin) + QStringLiteral("&ledmax=") +
              num(barSEMax);
      if (kind_ == TMonitorKind::QuietmarkNG) return line;
      line += rsm ? QStringLiteral("&rsm=1") : QStringLiteral("&rsm=0");
      if (!sNewTz.isEmpty() && sNewTz != sCurrentTz) line += QStringLiteral("&tz=") + sNewTz;
      return line;
    case TMonitorKind::Unknown:
      break;
  }
  return QString();
}

QString TRemoteSettings::RebootCommand() const {
  const bool shutdown = kind_ == TMonitorKind::CalmpointDT || kind_ == TMonitorKind::QuietmarkNG;
  return shutdown ? QStringLiteral("shutdown") : QStringLiteral("reboot");
}

QString TRemoteSettings::RebootCaption() const {
  return RebootCommand() == QLatin1String("shutdown") ? QStringLiteral("Shutdown")
                                                      : QStringLiteral("Reboot");
}

void TRemoteSettings::PickZone(int node) {
  const auto& nodes = qmzones::ZoneNodes();
  if (node < 0 || node >= int(nodes.size()) || !nodes[node].leaf) return;
  sNewTz = qmzones::ZonePath(node);
}

}  // namespace qmcfgdt
