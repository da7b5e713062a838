#include "platform/SmallThread.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Readers run by the thousand: a stack left at the 8 MiB default would cost gigabytes, and a
// connection held by a finished body would never be freed.
TEST(SmallThread, RunsWithTheChosenStackAndLetsGoOfItsBodyWhenFinished) {
  constexpr std::size_t kStack = 256 * 1024;
  auto held = std::make_shared<int>(0);
  std::size_t stack = 0;
  qmplatform::SmallThread thread(kStack, [held, &stack] {
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0) return;
    pthread_attr_getstacksize(&attr, &stack);
    pthread_attr_destroy(&attr);
  });
  ASSERT_TRUE(thread.Started());
  thread.Join();
  EXPECT_TRUE(thread.Finished());
  EXPECT_GE(stack, kStack);
  EXPECT_LT(stack, 2 * kStack);
  EXPECT_EQ(held.use_count(), 1);
}

}  // namespace
