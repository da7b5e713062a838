#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class TDTClient;

// The lines a monitor may send: each command with the field counts it accepts (the command
// itself counted) and the handler its owner registered. Entries are tried in the order added;
// the first whose command and field count fit takes the line.
class TCommandTable {
 public:
  // A handler of a received line: the record and the fields; true when the line was handled.
  using Handler = std::function<bool(TDTClient&, const QStringList&)>;
  static constexpr qsizetype kNoLimit = -1;

  // An entry without a handler accepts its lines until one is registered.
  void Add(const QString& cmd, qsizetype minFields, qsizetype maxFields, Handler handler = {});
  // Gives every entry of the command this handler (an empty one accepts the lines again);
  // false when the table has no such command.
  bool SetHandler(const QString& cmd, Handler handler);
  // True when an entry took the line and its handler reported it handled.
  bool Dispatch(TDTClient& client, const QStringList& fields) const;

 private:
  struct Entry {
    QString cmd;
    qsizetype minFields;
    qsizetype maxFields;
    Handler handler;
  };
  std::vector<Entry> entries_;
};
