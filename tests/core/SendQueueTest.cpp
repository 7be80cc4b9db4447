#include "net/core/SendQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

TEST(SendQueue, ChunkOperations) {
  TBuffer b(4);
  EXPECT_EQ(4, b.Capacity());
  EXPECT_EQ(1514, TBuffer(0).Capacity());
  EXPECT_EQ(1514, TBuffer(-3).Capacity());
  EXPECT_EQ(3, b.Write("abc", 3));
  EXPECT_EQ(1, b.Write("def", 3)) << "only what fits";
  EXPECT_EQ(0, b.Write("g", 1)) << "full";
  int unread = 0;
  EXPECT_EQ('a', *b.Peek(unread));
  EXPECT_EQ(4, unread);
  EXPECT_EQ(2, b.Remove(2));
  EXPECT_EQ('c', *b.Peek(unread));
  EXPECT_EQ(2, b.Remove(10)) << "at most the unread bytes";
  b.Peek(unread);
  EXPECT_EQ(0, unread);
  EXPECT_EQ(4, b.Write("wxyz", 4)) << "a drained chunk is reused from its start";
  b.SetCapacity(2);
  EXPECT_EQ(4, b.Capacity()) << "unread bytes are kept";
}

TEST(SendQueue, FourThousandBytesFillThreeChunks) {
  TSendQueue q;
  const std::string data(4000, 'd');
  q.Queue(data.data(), 4000);
  ASSERT_EQ(3, q.ChunkCount());
  int a = 0, b = 0, c = 0;
  q.Chunk(0).Peek(a);
  q.Chunk(1).Peek(b);
  q.Chunk(2).Peek(c);
  EXPECT_EQ((std::vector<int>{1460, 1460, 1080}), (std::vector<int>{a, b, c}));

  std::string wire;
  const TSendOutcome all = q.TryToSend([&](const unsigned char* p, int n, int& sent) {
    wire.append(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
    sent = n;
    return TSendOutcome::Sent;
  });
  EXPECT_EQ(TSendOutcome::Sent, all);
  EXPECT_EQ(data, wire);
  EXPECT_EQ(1, q.ChunkCount()) << "one empty chunk stays queued";
  q.Queue("", 0);
  EXPECT_EQ(1, q.ChunkCount());
}

TEST(SendQueue, PartialSendsKeepTheirPosition) {
  TSendQueue q;
  std::string data;
  for (int i = 0; i < 3000; ++i) data.push_back(static_cast<char>(i * 7));
  q.Queue(data.data(), 3000);
  std::string wire;
  int budget = 0;
  auto send = [&](const unsigned char* p, int n, int& sent) {
    if (budget == 0) return TSendOutcome::WouldBlock;
    sent = std::min(n, budget);
    budget -= sent;
    wire.append(reinterpret_cast<const char*>(p), static_cast<size_t>(sent));
    return TSendOutcome::Sent;
  };
  // The system takes 700 bytes at a time, as its buffer frees up.
  int rounds = 0;
  for (TSendOutcome r = TSendOutcome::WouldBlock; r != TSendOutcome::Sent && rounds < 100; ++rounds) {
    budget = 700;
    r = q.TryToSend(send);
  }
  EXPECT_EQ(data, wire);
  EXPECT_LT(rounds, 10);

  TSendQueue closed;
  closed.Queue("x", 1);
  EXPECT_EQ(TSendOutcome::Closed,
            closed.TryToSend([](const unsigned char*, int, int&) { return TSendOutcome::Closed; }));
  EXPECT_EQ(1, closed.ChunkCount()) << "nothing is lost by a failed send";
}
