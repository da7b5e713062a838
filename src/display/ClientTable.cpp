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
    const bool resorted = SortRecords(list, settings.sortBy, &bForce);
    const QStringList& folders = folders_.Folders(settings.dataPath);
    // Nothing to redo: the same records in the same order with the same counts, and no folder
    // without a record. With 2000 monitors the copying and comparing every tick showed.
    rowsChanged_ =
        resorted || bForce || folders_.scans != shownScans_ || entries_.size() != sorted_.size();
    shownScans_ = folders_.scans;
    if (!rowsChanged_) {
      for (std::size_t i = 0; i < entries_.size(); ++i) entries_[i].client = sorted_[i].client;
      UpdateCnxText(n, settings);
      return;
    }
    std::vector<Entry> entries = sorted_;
    for (const QString& folder : folders)
      if (!sortedIds_.contains(folder)) entries.push_back(Entry{folder, nullptr, false});

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
  UpdateCnxText(n, settings);
}

void TClientTable::UpdateCnxText(int n, const Settings& settings) {
  const int cnx = settings.cnxCount ? settings.cnxCount() : n;
  cnxText_ = QStringLiteral("Connections: ") + QString::number(n);
  if (cnx != n) cnxText_ += QLatin1Char('/') + QString::number(cnx);
}

bool TClientTable::SortRecords(TClientList& list, const QString& sortBy, bool* bForce) {
  const int n = list.Count();
  const QDateTime since = AlarmCountSince();
  const bool byAlarm = sortBy == QLatin1String("alarm");
  auto same = [](const QString& a, const QString& b) {
    return a.size() == b.size() && (a.constData() == b.constData() || a == b);
  };
  // Compared in place with the last sort; the keys are copied only when something differs.
  bool sameOrder = byAlarm == (sortedBy_ == QLatin1String("alarm"));
  std::size_t k = 0;
  for (int i = 0; i < n; ++i) {
    TDTClient* client = list.GetClient(i);
    if (!client) continue;
    // Also leaves the count in nLastAlmCount, which the sort and the rows use.
    if (AlarmCountChanged(*client, since)) *bForce = true;
    if (!sameOrder) continue;
    const SortKey* b = k < sortedFrom_.size() ? &sortedFrom_[k] : nullptr;
    sameOrder = b && b->client == client && same(b->name, client->sName) &&
                same(b->id, client->sID) && (!byAlarm || b->alarms == client->nLastAlmCount);
    ++k;
  }
  // The same records at the same addresses: the kept entries point at live records.
  if (sameOrder && k == sortedFrom_.size()) return false;
  std::vector<SortKey> keys;
  keys.reserve(std::size_t(n));
  for (int i = 0; i < n; ++i)
    if (TDTClient* client = list.GetClient(i))
      keys.push_back(SortKey{client, client->sName, client->sID, client->nLastAlmCount});
  sorted_.clear();
  sortedIds_.clear();
  for (const SortKey& k : keys) {
    sorted_.push_back(Entry{k.name, k.client, true});
    sortedIds_.insert(k.id);
  }
  std::stable_sort(sorted_.begin(), sorted_.end(), [](const Entry& a, const Entry& b) {
    return a.text.compare(b.text, Qt::CaseInsensitive) < 0;
  });
  if (byAlarm) {
    // Highest count first; equal counts keep the name order.
    std::stable_sort(sorted_.begin(), sorted_.end(), [](const Entry& a, const Entry& b) {
      return a.client->nLastAlmCount > b.client->nLastAlmCount;
    });
  }
  sortedFrom_ = std::move(keys);
  sortedBy_ = sortBy;
  return true;
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
