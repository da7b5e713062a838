#pragma once

#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <utility>
#include <vector>

// A queue that threads fill and one drain empties whole: every access holds its lock, and the
// drain works on what it took without the lock.
template <class T>
class TLockedQueue {
 public:
  void Push(T item) {
    std::lock_guard guard(lock_);
    items_.push_back(std::move(item));
  }
  // Pushes unless `limit` items or `maxWeight` of weight already wait (the item that crosses
  // the weight still goes in); false when full.
  bool TryPush(T item, std::size_t limit, std::size_t weight = 0,
               std::size_t maxWeight = std::numeric_limits<std::size_t>::max()) {
    std::lock_guard guard(lock_);
    if (!HasRoom(limit, maxWeight)) return false;
    items_.push_back(std::move(item));
    weight_ += weight;
    return true;
  }
  std::vector<T> TakeAll() {
    std::vector<T> taken;
    {
      std::lock_guard guard(lock_);
      taken.swap(items_);
      weight_ = 0;
    }
    room_.notify_one();
    return taken;
  }
  // Waits, at most `timeout`, until TryPush with the same limits would take an item; true when
  // there is room. The drain wakes one waiter and each woken waiter the next, so the drain does
  // not pay for waking every thread that waits.
  bool WaitForRoom(std::size_t limit, std::chrono::milliseconds timeout,
                   std::size_t maxWeight = std::numeric_limits<std::size_t>::max()) {
    std::unique_lock guard(lock_);
    if (!room_.wait_for(guard, timeout, [&] { return HasRoom(limit, maxWeight); })) return false;
    room_.notify_one();
    return true;
  }
  // Runs f on the items under the lock, for state that must change with them.
  template <class F>
  auto With(F&& f) {
    std::lock_guard guard(lock_);
    return std::forward<F>(f)(items_);
  }

 private:
  bool HasRoom(std::size_t limit, std::size_t maxWeight) const {
    return items_.size() < limit && weight_ < maxWeight;
  }

  std::mutex lock_;
  std::condition_variable room_;
  std::vector<T> items_;
  std::size_t weight_ = 0;
};
