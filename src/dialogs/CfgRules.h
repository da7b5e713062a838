#pragma once

#include <QList>
#include <QString>

// The rules of the preferences dialog that need no widgets.
namespace qmcfg {

// The port field as a number: a whole decimal integer, else -1.
int PortFromText(const QString& text);
constexpr bool PortInRange(int port) { return port >= 0 && port <= 65535; }

// The fixed Y axis spans at least 10 dB: moving one end pushes or pulls the other.
struct YRange {
  int min;
  int max;
  bool operator==(const YRange&) const = default;
};
constexpr int kYSpan = 10;
constexpr int kYMinLow = 10, kYMinHigh = 130;
constexpr int kYMaxLow = 20, kYMaxHigh = 140;
constexpr YRange AfterMinMoved(YRange r) {
  return {r.min, r.min > r.max - kYSpan ? r.min + kYSpan : r.max};
}
constexpr YRange AfterMaxMoved(YRange r) {
  return {r.max < r.min + kYSpan ? r.max - kYSpan : r.min, r.max};
}

// The alert rate list in minutes; a stored value not in it shows as 10.
constexpr int kAlertRates[] = {1, 2, 5, 10, 30, 60};
int AlertRateIndex(int minutes);

// The SMTP port list: 25, 465, 587, and the stored port as one more entry when it is none of
// them, so that OK keeps it.
QList<int> SmtpPorts(int stored);

// The help page of a tab (by object name); empty for the tabs without one.
QString HelpPageForTab(const QString& tabName);

}  // namespace qmcfg
