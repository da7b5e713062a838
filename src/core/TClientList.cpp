#include "core/TClientList.h"

#include "core/EventLog.h"

#include <atomic>

namespace {
std::atomic<quint64> g_stamps{0};
quint64 NewStamp() { return ++g_stamps; }
}  // namespace

TClientList::TClientList() : stamp_(NewStamp()) {
  LogDebug(QStringLiteral("TDTClientList.Create()"));
}

TClientList::~TClientList() { UnlockList(); }

void TClientList::LockList() {
  if (listLocked_) return;
  lock_.lock();
  listLocked_ = &tlClients;
}

void TClientList::UnlockList() {
  if (!listLocked_) return;
  listLocked_ = nullptr;
  lock_.unlock();
}

int TClientList::Count() const { return listLocked_ ? static_cast<int>(listLocked_->size()) : 0; }

TDTClient* TClientList::GetClient(int iClient) const {
  if (!listLocked_ || iClient < 0 || iClient >= Count()) return nullptr;
  return (*listLocked_)[static_cast<std::size_t>(iClient)].get();
}

namespace {
template <class Match>
TDTClient* LastMatch(const std::vector<std::unique_ptr<TDTClient>>* list, Match match) {
  if (!list) return nullptr;
  for (auto it = list->rbegin(); it != list->rend(); ++it)
    if (match(**it)) return it->get();
  return nullptr;
}
}  // namespace

TDTClient* TClientList::GetClientFromCtx(const TCtx& ctx) const {
  auto match = [&](const TDTClient& c) { return c.ctx == ctx; };
  if (!listLocked_ || !ctx) return LastMatch(listLocked_, match);
  // A record that still holds the connection keeps it alive, so its address is not reused.
  TCnx::RecordHint& hint = ctx->Hint();
  if (hint.stamp == stamp_ && hint.record->ctx == ctx) return hint.record;
  const auto it = byCtx_.find(ctx.get());
  TDTClient* found = nullptr;
  if (it != byCtx_.end() && live_.contains(it->second) && match(*it->second)) {
    found = it->second;
  } else {
    found = LastMatch(listLocked_, match);
    if (!found) return nullptr;
    if (byCtx_.size() > 2 * listLocked_->size() + 64) byCtx_.clear();  // connections long gone
    byCtx_[ctx.get()] = found;
  }
  hint = {found, stamp_};
  return found;
}

TDTClient* TClientList::GetClientFromID(const QString& sID) const {
  return LastMatch(listLocked_, [&](const TDTClient& c) { return c.sID == sID; });
}

TDTClient* TClientList::GetClientFromIPAdx(const QString& sAdx) const {
  return LastMatch(listLocked_, [&](const TDTClient& c) { return c.ipadx == sAdx; });
}

TDTClient* TClientList::AddClient() {
  LogDebug(QStringLiteral("TDTClientList.AddClient()"));
  if (!listLocked_) return nullptr;
  try {
    listLocked_->push_back(std::make_unique<TDTClient>());
    live_.insert(listLocked_->back().get());
  } catch (const std::exception&) {
    LogMsg(QStringLiteral("Failed to create new TDTClient"));
    return nullptr;
  }
  return listLocked_->back().get();
}

void TClientList::DeleteClient(TDTClient* client) {
  LogDebug(QStringLiteral("TDTClientList.DeleteClient(): ") + (client ? client->sID : QString()));
  if (!listLocked_) return;
  for (auto it = listLocked_->begin(); it != listLocked_->end(); ++it) {
    if (it->get() == client) {
      live_.erase(client);
      stamp_ = NewStamp();
      listLocked_->erase(it);
      return;
    }
  }
}
