#pragma once

#include "core/TDTClient.h"

#include <memory>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// Every monitor record, in order of creation. The hold is single-level: LockList inside a held
// bracket does nothing and UnlockList always releases, so a deletion during a walk ends the walk.
class TClientList {
 public:
  TClientList();
  ~TClientList();

  void LockList();
  void UnlockList();
  bool Held() const { return listLocked_ != nullptr; }
  int Count() const;
  TDTClient* GetClient(int iClient) const;
  TDTClient* GetClientFromCtx(const TCtx& ctx) const;
  TDTClient* GetClientFromID(const QString& sID) const;
  TDTClient* GetClientFromIPAdx(const QString& sAdx) const;
  TDTClient* AddClient();
  void DeleteClient(TDTClient* client);

 private:
  std::mutex lock_;
  std::vector<std::unique_ptr<TDTClient>> tlClients;
  std::vector<std::unique_ptr<TDTClient>>* listLocked_ = nullptr;
  // Where each connection's record was last found, checked before use: the lookup runs for
  // every received line, and a walk of 2000 records each time showed in the profile.
  mutable std::unordered_map<const TCnx*, TDTClient*> byCtx_;
  std::unordered_set<const TDTClient*> live_;
  // Changes with every deletion, unique across lists: a connection's hint from an older stamp
  // may name a deleted record. Most lines find their record through the hint, which saves two
  // hash lookups that miss the cache with 2000 monitors.
  quint64 stamp_;
};

// Holds the list for a scope (released early by a nested bracket, as the list's rule says).
class TClientListHold {
 public:
  explicit TClientListHold(TClientList& list) : list_(list) { list_.LockList(); }
  ~TClientListHold() { list_.UnlockList(); }
  TClientListHold(const TClientListHold&) = delete;
  TClientListHold& operator=(const TClientListHold&) = delete;

 private:
  TClientList& list_;
};
