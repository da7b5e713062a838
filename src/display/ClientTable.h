#pragma once

#include "core/TCnx.h"
#include "display/MonitorFolders.h"

#include <QSet>
#include <QString>

#include <functional>
#include <vector>

class TClientList;
class TDTClient;

// The content of the monitor table: the connected monitors, then the monitors that only have a
// folder under the data path. Holds no widget; the main window shows its rows.
class TClientTable {
 public:
  // One data row of the grid (grid row index + 1), bound to a connection or to none.
  struct Row {
    QString name;
    QString alarms;
    TCtx ctx;
    bool operator==(const Row&) const = default;
  };

  struct Settings {
    bool clientList = true;         // the table is shown
    QString sortBy;                 // "name" or "alarm"
    QString dataPath;               // with trailing separator
    std::function<int()> cnxCount;  // the server's connection count
  };

  // Rebuilds entries and rows with the list held; any exception is logged and ends the refresh.
  void Update(TClientList& list, bool bForce, const Settings& settings);

  const std::vector<Row>& Rows() const { return rows_; }
  // The last Update may have changed the rows.
  bool RowsChanged() const { return rowsChanged_; }
  const QString& CnxText() const { return cnxText_; }
  // Entries in display order; entry i shows in data row i.
  int EntryCount() const { return int(entries_.size()); }
  QString EntryText(int i) const;
  bool EntryConnected(int i) const;
  TMonitorFolders& Folders() { return folders_; }

  // The name a deleted monitor's folder is moved to: "__" + ID, or the first of "__" + ID + "[001]"
  // ... "[999]" that does not exist (the last one when all do).
  static QString MoveAsideTarget(const QString& dataPath, const QString& sID);
  // Moves a monitor folder aside; false when the rename failed.
  static bool MoveAside(const QString& dataPath, const QString& sID);

 private:
  struct Entry {
    QString text;
    TDTClient* client = nullptr;  // valid only during Update
    bool connected = false;
  };
  void Rebuild(TClientList& list, bool bForce, const Settings& settings);
  // The records' entries in display order, sorted again only when a record, its name or (sorted
  // by alarms) its count differs from the last sort: with 2000 monitors the sort every tick
  // took a tenth of the interface thread.
  // True when it sorted again.
  bool SortRecords(TClientList& list, const QString& sortBy, bool* bForce);
  void UpdateCnxText(int n, const Settings& settings);

  struct SortKey {
    TDTClient* client;
    QString name;
    QString id;
    int alarms;
  };
  std::vector<SortKey> sortedFrom_;  // the records in list order at the last sort
  QString sortedBy_;
  std::vector<Entry> sorted_;
  QSet<QString> sortedIds_;

  std::vector<Entry> entries_;
  std::vector<Row> rows_;
  bool rowsChanged_ = true;
  int shownScans_ = -1;  // the folder scans the rows were built from
  QString cnxText_;
  TMonitorFolders folders_;
};
