#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <unordered_map>

// Repeated identical failure lines of one connection: the first is logged, the repeats within a
// second are only counted, and the next one logged after that carries the count. A peer that
// sends the same junk thousands of times a second leaves a line a second.
class TRepeatFilter {
 public:
  static constexpr qint64 kIntervalMs = 1000;

  // The lines to log now: none when the text only counts, the count of the previous text before
  // a different one.
  QStringList Pass(quint64 connection, const QString& text);
  // Forgets a connection that has gone.
  void Forget(quint64 connection);

 private:
  struct Last {
    QString text;
    qint64 loggedMs = 0;
    int repeats = 0;
  };
  QElapsedTimer clock_;
  std::unordered_map<quint64, Last> last_;
};
