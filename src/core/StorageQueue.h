#pragma once

#include <QObject>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// The storage threads: file work runs there, off the interface thread. Jobs of one key run one
// at a time in the order they were posted, so writes of one file never overtake each other; jobs
// of other keys may run beside them, which lets the disk sync several files at once. A job's
// completion runs afterwards on the thread that created the queue.
class TStorageQueue {
 public:
  using Work = std::function<void()>;
  static constexpr int kThreads = 4;

  explicit TStorageQueue(int threads = kThreads);
  // Jobs not started yet are dropped; a job that does not end within a second is left to its
  // thread.
  ~TStorageQueue();
  TStorageQueue(const TStorageQueue&) = delete;
  TStorageQueue& operator=(const TStorageQueue&) = delete;

  void Post(const QString& key, Work work, Work done);
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
  // Shared with the threads, which may outlive the queue when a job hangs.
  struct State {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::vector<std::deque<Job>> jobs;  // one queue a thread
    std::deque<Work> completions;
    int running = 0;
    int threads = 0;
    bool stop = false;
    bool Idle() const;
  };
  static void Run(std::shared_ptr<State> state, int index, int delayMs, QObject* context,
                  TStorageQueue* queue);

  std::shared_ptr<State> state_;
  std::unique_ptr<QObject> context_;
  std::vector<std::thread> threads_;
  int pending_ = 0;
};
