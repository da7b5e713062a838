#include "core/EventLog.h"

#include "core/Clock.h"
#include "core/SaveLines.h"
#include "core/TRunstat.h"

namespace {
TEventLog* g_log = nullptr;
}

TEventLog::TEventLog(TRunstat* runstat, QObject* parent) : QObject(parent), runstat_(runstat) {
  g_log = this;
}

TEventLog::~TEventLog() {
  if (g_log == this) g_log = nullptr;
}

TEventLog* TEventLog::Instance() { return g_log; }

QString TEventLog::Stamp(const QString& text) {
  return qmclock::Now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral("> ") +
         text;
}

void TEventLog::AddLine(const QString& text) {
  QString line = Stamp(text);
  const qsizetype size = line.size() * qsizetype(sizeof(QChar));
  while (!lines_.empty() && (lines_.size() >= kMaxLines || bytes_ + size > kMaxBytes)) {
    bytes_ -= lines_.front().size() * qsizetype(sizeof(QChar));
    lines_.pop_front();
  }
  bytes_ += size;
  lines_.push_back(line);
  emit lineAdded(line);
}

void TEventLog::Clear() {
  lines_.clear();
  bytes_ = 0;
  emit cleared();
}

bool TEventLog::DebugEnabled() const { return runstat_ && runstat_->bDebugLog.load(); }

bool TEventLog::SaveToFile(const QString& path, QString* error) const {
  return qmtext::SaveLines(path, QStringList(lines_.begin(), lines_.end()), error);
}

bool TEventLog::SaveLastRun() const {
  const QString folder = runstat_ ? runstat_->sAppDataPath : QString();
  return SaveToFile(folder + QStringLiteral("lastrun.log"));
}

void LogMsg(const QString& text) {
  if (g_log) g_log->AddLine(text);
}

void LogDebug(const QString& text) {
  if (DebugLogging()) g_log->AddLine(QStringLiteral("D> ") + text);
}

bool DebugLogging() { return g_log && g_log->DebugEnabled(); }
