#pragma once

#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// The storage thread: file work runs there one job at a time, in the order it was posted, so
// writes of one file never overtake each other and the interface thread never waits for the
// disk. A job's completion runs afterwards on the thread that created the queue.
class TStorageQueue {
 public:
  using Work = std::function<void()>;

  TStorageQueue();
  // Jobs not started yet are dropped; a job that does not end within a second is left to its
  // thread.
  ~TStorageQueue();
  TStorageQueue(const TStorageQueue&) = delete;
  TStorageQueue& operator=(const TStorageQueue&) = delete;

  void Post(Work work, Work done);
  // Runs the completions of the jobs done so far.
  void RunCompletions();
  // Waits until every job posted so far has run and its completion too; false on time-out.
  bool WaitIdle(int timeoutMs);
  // Jobs posted whose completion has not run yet.
  int Pending() const { return pending_; }

 private:
  struct Job {
    Work work;
    Work done;
  };
  // Shared with the thread, which may outlive the queue when a job hangs.
  struct State {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<Job> jobs;
    std::deque<Work> completions;
    bool running = false;
    bool stop = false;
    bool finished = false;
  };
  static void Run(std::shared_ptr<State> state, int delayMs, QObject* context,
                  TStorageQueue* queue);

  std::shared_ptr<State> state_;
  std::unique_ptr<QObject> context_;
  std::thread thread_;
  int pending_ = 0;
};
