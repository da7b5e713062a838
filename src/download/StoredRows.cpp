#include "download/StoredRows.h"

namespace {
bool IsPer(const QString& kind) { return kind.startsWith(QLatin1String("per")); }
}  // namespace

bool TStoredRows::Known(const QString& folder) const {
  const auto it = folders_.constFind(folder);
  return it != folders_.constEnd() && it->scanned;
}

void TStoredRows::AddScan(const QString& folder, const Kinds& kinds) {
  Folder& known = folders_[folder];
  known.scanned = true;
  for (auto kind = kinds.begin(); kind != kinds.end(); ++kind) {
    Days& days = known.kinds[kind.key()];
    for (const auto& [day, newest] : kind.value()) days.try_emplace(day, newest);
  }
}

void TStoredRows::Note(const QString& folder, const QString& kind, const QDate& day,
                       const TStartTimes::Newest& newest, const QDate& today) {
  Days& days = folders_[folder].kinds[kind];
  const bool per = IsPer(kind);
  if (TStartTimes::Counts(newest, per))
    days[day] = newest;
  else
    days.erase(day);
  // The newest counting day up to today gives the start, and the one before it stands in should
  // the newest stop counting; the days after today count once their day comes.
  auto keep = days.upper_bound(today);
  for (int kept = 0; keep != days.begin() && kept < 2; ++kept) --keep;
  days.erase(days.begin(), keep);
}

std::optional<QDateTime> TStoredRows::Start(const QString& folder, const QString& kind,
                                            const QDate& today) const {
  const auto known = folders_.constFind(folder);
  if (known == folders_.constEnd()) return std::nullopt;
  const auto days = known->kinds.constFind(kind);
  if (days == known->kinds.constEnd()) return std::nullopt;
  auto it = days->upper_bound(today);
  if (it == days->begin()) return std::nullopt;
  --it;
  return TStartTimes::StartOf(it->first, it->second, IsPer(kind));
}
