#include "download/StorageQueue.h"

#include <QThread>

#include <chrono>

TStorageQueue::TStorageQueue() : state_(std::make_shared<State>()), context_(new QObject) {
  // For tests of writes still pending: each job waits this long first.
  const int delayMs = qEnvironmentVariableIntValue("QMSV_STORAGE_DELAY_MS");
  thread_ = std::thread(Run, state_, delayMs, context_.get(), this);
}

TStorageQueue::~TStorageQueue() {
  std::unique_lock lock(state_->mutex);
  state_->stop = true;
  state_->jobs.clear();
  state_->wake.notify_all();
  const bool ended =
      state_->idle.wait_for(lock, std::chrono::seconds(1), [&] { return state_->finished; });
  lock.unlock();
  if (ended)
    thread_.join();
  else
    thread_.detach();
}

void TStorageQueue::Run(std::shared_ptr<State> state, int delayMs, QObject* context,
                        TStorageQueue* queue) {
  std::unique_lock lock(state->mutex);
  for (;;) {
    state->wake.wait(lock, [&] { return state->stop || !state->jobs.empty(); });
    if (state->stop) break;
    Job job = std::move(state->jobs.front());
    state->jobs.pop_front();
    state->running = true;
    lock.unlock();
    if (delayMs > 0) QThread::msleep(delayMs);
    job.work();
    lock.lock();
    state->running = false;
    const bool first = state->completions.empty();
    state->completions.push_back(std::move(job.done));
    state->idle.notify_all();
    // One wake-up of the interface thread serves every completion queued before it runs.
    if (first && !state->stop)
      QMetaObject::invokeMethod(
          context, [queue] { queue->RunCompletions(); }, Qt::QueuedConnection);
  }
  state->finished = true;
  state->idle.notify_all();
}

void TStorageQueue::Post(Work work, Work done) {
  std::lock_guard lock(state_->mutex);
  state_->jobs.push_back({std::move(work), std::move(done)});
  ++pending_;
  state_->wake.notify_one();
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
      if (!state_->idle.wait_until(lock, deadline,
                                   [&] { return state_->jobs.empty() && !state_->running; }))
        return false;
    }
    // A completion may post more work (a write after a scan): wait for that too.
    RunCompletions();
    if (pending_ == 0) return true;
  }
}
