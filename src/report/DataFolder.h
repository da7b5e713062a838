#pragma once

#include <QList>
#include <QString>

#include <cmath>

// Where the supervisor keeps its data and which monitors have a folder there. Only reads: the
// reporter never creates or changes anything below the data folder or in the settings.
namespace qmreport {

// The data folder as the supervisor finds it: [app] datapath of settings.ini, else the default
// folder beside it; always with a trailing separator. `override` (from the command line) wins.
QString FindDataPath(const QString& override = {});

struct MonitorInfo {
  QString id;  // the folder name
  QString name;
  QString type;
  double trig1 = NAN;  // trigger levels when term.cfg tells them
  double trig2 = NAN;
};

// Monitor folders directly below the data path (no links, no names starting with "." or "__"),
// sorted by ID, with what their term.cfg says; a folder without term.cfg is listed by ID alone.
QList<MonitorInfo> ListMonitors(const QString& dataPath);
MonitorInfo ReadMonitor(const QString& dataPath, const QString& id);

// True when `path` lies inside `folder` (after resolving links of the parts that exist).
bool IsInside(const QString& path, const QString& folder);

}  // namespace qmreport
