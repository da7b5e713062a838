#pragma once

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
  // Pushes unless `limit` items already wait; false when full.
  bool TryPush(T item, std::size_t limit) {
    std::lock_guard guard(lock_);
    if (items_.size() >= limit) return false;
    items_.push_back(std::move(item));
    return true;
  }
  std::vector<T> TakeAll() {
    std::lock_guard guard(lock_);
    std::vector<T> taken;
    taken.swap(items_);
    return taken;
  }
  // Runs f on the items under the lock, for state that must change with them.
  template <class F>
  auto With(F&& f) {
    std::lock_guard guard(lock_);
    return std::forward<F>(f)(items_);
  }

 private:
  std::mutex lock_;
  std::vector<T> items_;
};
