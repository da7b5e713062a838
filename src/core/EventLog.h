#pragma once

#include <QObject>
#include <QString>

#include <deque>

class TRunstat;

// The in-memory event log. Interface thread only; other threads queue their lines (server
// thread) and have the interface thread add them.
class TEventLog : public QObject {
  Q_OBJECT
 public:
  // Bounded: with debug logging on for days an unbounded log would eat all memory.
  static constexpr std::size_t kMaxLines = 200000;
  // Bounded by size too: long lines would reach the line limit only after gigabytes.
  static constexpr qsizetype kMaxBytes = qsizetype(64) << 20;

  explicit TEventLog(TRunstat* runstat, QObject* parent = nullptr);
  ~TEventLog() override;

  // The one log of the process; null before it is created.
  static TEventLog* Instance();

  // Stamps the text with the current time ("yyyy-mm-dd hh:nn:ss> ") and appends it.
  void AddLine(const QString& text);
  void Clear();
  const std::deque<QString>& Lines() const { return lines_; }
  bool DebugEnabled() const;
  // Writes every line, CR LF each, replacing the file; false with a reason when it fails.
  bool SaveToFile(const QString& path, QString* error = nullptr) const;
  // lastrun.log in the application-data folder, or the current folder when there is none.
  bool SaveLastRun() const;

  static QString Stamp(const QString& text);

 signals:
  void lineAdded(const QString& line);
  void cleared();

 private:
  TRunstat* runstat_;
  std::deque<QString> lines_;
  qsizetype bytes_ = 0;
};

void LogMsg(const QString& text);
void LogDebug(const QString& text);
// Whether LogDebug keeps its text: callers on per-line paths test it before building one.
bool DebugLogging();
