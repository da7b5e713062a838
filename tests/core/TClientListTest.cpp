#include "core/TClientList.h"

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>

#include <gtest/gtest.h>

namespace {

class TClientListTest : public ::testing::Test {
 protected:
  TCtx NewCtx() { return std::make_shared<TCnx>(asio::ip::tcp::socket(io), ++number); }
  TDTClient* Add(const TCtx& ctx) {
    TDTClient* c = list.AddClient();
    c->ctx = ctx;
    return c;
  }

  asio::io_context io;
  quint64 number = 0;
  TClientList list;
  TClientListHold hold{list};
};

// The lookup remembers where it found a connection; every later change of the records must
// still give the record that holds the connection now.
TEST_F(TClientListTest, LookupByConnectionFollowsChangesOfTheRecords) {
  const TCtx a = NewCtx();
  const TCtx b = NewCtx();
  TDTClient* first = Add(a);
  TDTClient* second = Add(b);
  EXPECT_EQ(list.GetClientFromCtx(a), first);
  EXPECT_EQ(list.GetClientFromCtx(b), second);

  first->ctx = nullptr;  // disconnected
  EXPECT_EQ(list.GetClientFromCtx(a), nullptr);
  EXPECT_EQ(list.GetClientFromCtx(nullptr), first);
  first->ctx = a;
  EXPECT_EQ(list.GetClientFromCtx(a), first);

  list.DeleteClient(first);
  EXPECT_EQ(list.GetClientFromCtx(a), nullptr);
  TDTClient* again = Add(a);
  EXPECT_EQ(list.GetClientFromCtx(a), again);
  EXPECT_EQ(list.GetClientFromCtx(b), second);
}

// A connection found in one list is not found in another through what the first remembered.
TEST_F(TClientListTest, EachListFindsOnlyItsOwnRecords) {
  const TCtx a = NewCtx();
  TDTClient* mine = Add(a);
  EXPECT_EQ(list.GetClientFromCtx(a), mine);
  TClientList other;
  TClientListHold otherHold(other);
  EXPECT_EQ(other.GetClientFromCtx(a), nullptr);
  TDTClient* theirs = other.AddClient();
  theirs->ctx = a;
  EXPECT_EQ(other.GetClientFromCtx(a), theirs);
  EXPECT_EQ(list.GetClientFromCtx(a), mine);
}

TEST_F(TClientListTest, ManyConnectionsComeAndGo) {
  const TCtx kept = NewCtx();
  TDTClient* keeper = Add(kept);
  for (int i = 0; i < 500; ++i) {
    const TCtx ctx = NewCtx();
    TDTClient* c = Add(ctx);
    ASSERT_EQ(list.GetClientFromCtx(ctx), c);
    list.DeleteClient(c);
    ASSERT_EQ(list.GetClientFromCtx(ctx), nullptr);
    ASSERT_EQ(list.GetClientFromCtx(kept), keeper);
  }
}

}  // namespace
