#pragma once

#include <pthread.h>

#include <atomic>
#include <functional>

namespace qmplatform {

// A plain thread with a chosen stack size and no event loop: one runs per connection, so
// thousands may run and starting one must stay cheap (a QThread also sets up an event
// dispatcher, which costs about as much again as the thread).
class SmallThread {
 public:
  // Starts body at once; Started() is false when the system could not make the thread.
  SmallThread(std::size_t stackBytes, std::function<void()> body);
  // Waits for the end of the body.
  ~SmallThread();
  SmallThread(const SmallThread&) = delete;
  SmallThread& operator=(const SmallThread&) = delete;

  bool Started() const { return started_; }
  // The body has returned (or never started): Join does not wait then.
  bool Finished() const { return finished_.load(); }
  void Join();

 private:
  static void* Run(void* self);

  std::function<void()> body_;
  std::atomic<bool> finished_{false};
  pthread_t handle_{};
  bool started_ = false;
  bool joined_ = false;
};

}  // namespace qmplatform
