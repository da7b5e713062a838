#include "dialogs/CfgRules.h"

#include "core/Text.h"

#include <algorithm>
#include <iterator>

namespace qmcfg {

int PortFromText(const QString& text) { return qmtext::ToInt(text).value_or(-1); }

int AlertRateIndex(int minutes) {
  const auto* it = std::find(std::begin(kAlertRates), std::end(kAlertRates), minutes);
  if (it == std::end(kAlertRates))
    it = std::find(std::begin(kAlertRates), std::end(kAlertRates), 10);
  return int(it - std::begin(kAlertRates));
}

QList<int> SmtpPorts(int stored) {
  QList<int> ports{25, 465, 587};
  if (!ports.contains(stored)) ports << stored;
  return ports;
}

QString HelpPageForTab(const QString& tabName) {
  static const struct {
    const char* tab;
    const char* page;
  } kPages[] = {{"tabDisplay", "preferences/display.html"},
                {"tabCharts", "preferences/charts.html"},
                {"tabEmail", "preferences/email.html"},
                {"tabNetwork", "preferences/network.html"}};
  for (const auto& p : kPages)
    if (tabName == QLatin1String(p.tab)) return QString::fromLatin1(p.page);
  return {};
}

}  // namespace qmcfg
