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

// The send callback runs the socket's OnSendData handler, which may do
// anything with the queue. Each row is one thing it does on the first send;
// the queue must stay whole and the wire must get exactly what it should.
TEST(SendQueue, HandlersThatChangeTheQueueWhileItSends) {
  struct Row {
    const char* name;
    void (*during)(TSendQueue&, std::string& wire);
    TSendOutcome outcome;
    std::string wire;  // what went out, all rounds together
  };
  const std::string first(2000, 'a');
  const auto sendAll = [](TSendQueue& q, std::string& wire) {
    return q.TryToSend([&](const unsigned char* p, int n, int& sent) {
      wire.append(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
      sent = n;
      return TSendOutcome::Sent;
    });
  };
  const std::vector<Row> rows = {
      {"nothing", [](TSendQueue&, std::string&) {}, TSendOutcome::Sent, first},
      {"discard (Abort)", [](TSendQueue& q, std::string&) { q.Discard(); }, TSendOutcome::Discarded,
       std::string(1460, 'a')},
      {"discard and queue anew (Connect, then Send)",
       [](TSendQueue& q, std::string&) {
         q.Discard();
         q.Queue("new", 3);
       },
       TSendOutcome::Discarded, std::string(1460, 'a') + "new"},
      {"queue more (Send)", [](TSendQueue& q, std::string&) { q.Queue("more", 4); }, TSendOutcome::Sent,
       first + "more"},
      {"send from inside (a nested TryToSend)",
       [](TSendQueue& q, std::string& wire) {
         q.Queue("more", 4);
         const TSendOutcome nested = q.TryToSend([&](const unsigned char* p, int n, int& sent) {
           wire.append("<nested>");
           wire.append(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
           sent = n;
           return TSendOutcome::Sent;
         });
         if (nested != TSendOutcome::WouldBlock) wire.append("<nested call sent>");
       },
       TSendOutcome::Sent, first + "more"},
  };
  for (const Row& row : rows) {
    TSendQueue q;
    q.Queue(first.data(), static_cast<int>(first.size()));
    std::string wire;
    bool done = false;
    const TSendOutcome outcome = q.TryToSend([&](const unsigned char* p, int n, int& sent) {
      wire.append(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
      sent = n;
      if (!done) {
        done = true;
        row.during(q, wire);
      }
      return TSendOutcome::Sent;
    });
    EXPECT_EQ(row.outcome, outcome) << row.name;
    // What the handler left in the queue goes out with the next round.
    if (outcome != TSendOutcome::Sent) sendAll(q, wire);
    EXPECT_EQ(row.wire, wire) << row.name;
    EXPECT_LE(q.ChunkCount(), 1) << row.name;
  }
}
