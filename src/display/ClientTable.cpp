#include "display/ClientTable.h"

#include "core/EventLog.h"
#include "core/TClientList.h"
#include "live/Alarms.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <exception>

QString TClientTable::EntryText(int i) const {
  return i >= 0 && i < EntryCount() ? entries_[std::size_t(i)].text : QString();
}

bool TClientTable::EntryConnected(int i) const {
  return i >= 0 && i < EntryCount() && entries_[std::size_t(i)].connected;
}

void TClientTable::Update(TClientList& list, bool bForce, const Settings& settings) {
  try {
    TClientListHold hold(list);
    Rebuild(list, bForce, settings);
  } catch (...) {
    LogMsg(QStringLiteral("Exception updating client table"));
  }
  for (Entry& e : entries_) e.client = nullptr;
}

void TClientTable::Rebuild(TClientList& list, bool bForce, const Settings& settings) {
  const int n = list.Count();
  if (settings.clientList) {
    std::vector<Entry> entries;
    std::vector<int> counts;
    QSet<QString> ids;
    const QDateTime since = AlarmCountSince();
    for (int i = 0; i < n; ++i) {
      TDTClient* client = list.GetClient(i);
      if (!client) continue;
      // Also leaves the count in nLastAlmCount, which the sort and the rows below use.
      if (AlarmCountChanged(*client, since)) bForce = true;
      entries.push_back(Entry{client->sName, client, true});
      ids.insert(client->sID);
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
      return a.text.compare(b.text, Qt::CaseInsensitive) < 0;
    });
    if (settings.sortBy == QLatin1String("alarm")) {
      // Highest count first; equal counts keep the name order.
      std::vector<std::pair<int, Entry>> keyed;
      keyed.reserve(entries.size());
      for (Entry& e : entries) keyed.emplace_back(e.client->nLastAlmCount, e);
      std::stable_sort(keyed.begin(), keyed.end(),
                       [](const auto& a, const auto& b) { return a.first > b.first; });
      for (std::size_t i = 0; i < keyed.size(); ++i) entries[i] = keyed[i].second;
    }
    for (const QString& folder : folders_.Folders(settings.dataPath))
      if (!ids.contains(folder)) entries.push_back(Entry{folder, nullptr, false});

    if (entries.empty()) {
      rows_.assign(1, Row{QStringLiteral("No connections"), QString(), nullptr});
    } else {
      if (rows_.size() != entries.size()) bForce = true;
      if (bForce) rows_.resize(entries.size());
      for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        Row& row = rows_[i];
        if (!e.client) {
          row = Row{folders_.Name(settings.dataPath, e.text), QStringLiteral("-"), nullptr};
        } else if (bForce) {
          row.name = e.client->sID.isEmpty() ? QStringLiteral("Connecting...") : e.client->sName;
          row.ctx = e.client->ctx;
          row.alarms = QString::number(e.client->nLastAlmCount);
        }
      }
    }
    entries_ = std::move(entries);
  }
  const int cnx = settings.cnxCount ? settings.cnxCount() : n;
  cnxText_ = QStringLiteral("Connections: ") + QString::number(n);
  if (cnx != n) cnxText_ += QLatin1Char('/') + QString::number(cnx);
}

QString TClientTable::MoveAsideTarget(const QString& dataPath, const QString& sID) {
  const QString base = dataPath + QStringLiteral("__") + sID;
  QString target = base;
  for (int k = 1; k <= 999 && QFileInfo::exists(target); ++k)
    target = base + QStringLiteral("[%1]").arg(k, 3, 10, QLatin1Char('0'));
  return target;
}

bool TClientTable::MoveAside(const QString& dataPath, const QString& sID) {
  return QDir().rename(dataPath + sID, MoveAsideTarget(dataPath, sID));
}
