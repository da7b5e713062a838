#include "supervisor/CommandTable.h"

void TCommandTable::Add(const QString& cmd, qsizetype minFields, qsizetype maxFields,
                        Handler handler) {
  entries_.push_back({cmd, minFields, maxFields, std::move(handler)});
}

bool TCommandTable::SetHandler(const QString& cmd, Handler handler) {
  bool found = false;
  for (Entry& e : entries_) {
    if (e.cmd != cmd) continue;
    e.handler = handler;
    found = true;
  }
  return found;
}

bool TCommandTable::Dispatch(TDTClient& client, const QStringList& fields) const {
  if (fields.isEmpty()) return false;
  const QString& cmd = fields.first();
  const qsizetype n = fields.size();
  for (const Entry& e : entries_) {
    if (e.cmd != cmd || n < e.minFields || (e.maxFields != kNoLimit && n > e.maxFields)) continue;
    return e.handler ? e.handler(client, fields) : true;
  }
  return false;
}
