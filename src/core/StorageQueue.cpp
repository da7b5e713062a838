#include "core/StorageQueue.h"

#include <QHash>
#include <QThread>

#include <chrono>

TStorageQueue::TStorageQueue(int threads)
    : state_(std::make_shared<State>()), context_(new QObject) {
  // For tests of writes still pending: each job waits this long first.
  const int delayMs = qEnvironmentVariableIntValue("QMSV_STORAGE_DELAY_MS");
  state_->jobs.resize(std::max(threads, 1));
  state_->threads = int(state_->jobs.size());
  for (int i = 0; i < state_->threads; ++i)
    threads_.emplace_back(Run, state_, i, delayMs, context_.get(), this);
}

TStorageQueue::~TStorageQueue() {
  std::unique_lock lock(state_->mutex);
  state_->stop = true;
  for (auto& jobs : state_->jobs) jobs.clear();
  state_->wake.notify_all();
  const bool ended =
      state_->idle.wait_for(lock, std::chrono::seconds(1), [&] { return state_->threads == 0; });
  lock.unlock();
  for (std::thread& t : threads_) {
    if (ended)
      t.join();
    else
      t.detach();
  }
}

bool TStorageQueue::State::Idle() const {
  if (running) return false;
  for (const auto& queue : jobs)
    if (!queue.empty()) return false;
  return true;
}

void TStorageQueue::Run(std::shared_ptr<State> state, int index, int delayMs, QObject* context,
                        TStorageQueue* queue) {
  std::unique_lock lock(state->mutex);
  std::deque<Job>& jobs = state->jobs[index];
  for (;;) {
    state->wake.wait(lock, [&] { return state->stop || !jobs.empty(); });
    if (state->stop) break;
    Job job = std::move(jobs.front());
    jobs.pop_front();
    ++state->running;
    lock.unlock();
    if (delayMs > 0) QThread::msleep(delayMs);
    job.work();
    lock.lock();
    --state->running;
    const bool first = state->completions.empty();
    state->completions.push_back(std::move(job.done));
    state->idle.notify_all();
    // One wake-up of the interface thread serves every completion queued before it runs.
    if (first && !state->stop)
      QMetaObject::invokeMethod(
          context, [queue] { queue->RunCompletions(); }, Qt::QueuedConnection);
  }
  --state->threads;
  state->idle.notify_all();
}

void TStorageQueue::Post(const QString& key, Work work, Work done) {
  std::lock_guard lock(state_->mutex);
  state_->jobs[qHash(key) % state_->jobs.size()].push_back({std::move(work), std::move(done)});
  ++pending_;
  state_->wake.notify_all();
}

void TStorageQueue::RunCompletions() {
  std::deque<Work> completions;
  {
    std::lock_guard lock(state_->mutex);
    completions.swap(state_->completions);
  }
  for (Work& done : completions) {
    --pending_;
    if (done) done();
  }
}

bool TStorageQueue::WaitIdle(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    {
      std::unique_lock lock(state_->mutex);
      if (!state_->idle.wait_until(lock, deadline, [&] { return state_->Idle(); })) return false;
    }
    // A completion may post more work (a write after a scan): wait for that too.
    RunCompletions();
    if (pending_ == 0) return true;
  }
}
