#include "platform/SmallThread.h"

#include <algorithm>

namespace qmplatform {

SmallThread::SmallThread(std::size_t stackBytes, std::function<void()> body)
    : body_(std::move(body)) {
  pthread_attr_t attr;
  if (pthread_attr_init(&attr) == 0) {
    pthread_attr_setstacksize(&attr, std::max<std::size_t>(stackBytes, PTHREAD_STACK_MIN));
    started_ = pthread_create(&handle_, &attr, &SmallThread::Run, this) == 0;
    pthread_attr_destroy(&attr);
  }
  if (!started_) finished_ = true;
}

SmallThread::~SmallThread() { Join(); }

void SmallThread::Join() {
  if (!started_ || joined_) return;
  pthread_join(handle_, nullptr);
  joined_ = true;
}

void* SmallThread::Run(void* self) {
  auto* thread = static_cast<SmallThread*>(self);
  thread->body_();
  thread->body_ = nullptr;  // what the body holds goes before the thread counts as finished
  thread->finished_ = true;
  return nullptr;
}

}  // namespace qmplatform
