#pragma once
// The socket's send side: fixed-size chunks that outgoing data is copied
// into, written out as the system takes it. A partly sent chunk keeps its
// read position; a drained chunk is reused from its start.

#include <deque>
#include <memory>
#include <vector>

class TBuffer {
public:
  // A capacity of 0 or less means 1514 bytes.
  explicit TBuffer(int capacity);

  int Capacity() const { return static_cast<int>(FData.size()); }
  // Copies what fits; returns that count (0 when full).
  int Write(const void* data, int length);
  // The first unread byte and the unread length (0 when nothing is unread).
  const unsigned char* Peek(int& length) const;
  // Marks up to Length bytes read; returns that count. A chunk read to its
  // end starts over from its beginning.
  int Remove(int length);
  // Keeps the bytes up to the write count.
  void SetCapacity(int capacity);

private:
  std::vector<unsigned char> FData;
  int FWriteCount = 0;
  int FReadCount = 0;
};

// How the socket's system send answered; Discarded: the queue was emptied
// while a send was under way.
enum class TSendOutcome { Sent, WouldBlock, Closed, Failed, Discarded };

class TSendQueue {
public:
  static constexpr int kChunkSize = 1460;  // one TCP segment on Ethernet

  // Copies Length bytes into the last chunk and as many new ones as needed.
  void Queue(const void* data, int length);
  void Discard() {
    FChunks.clear();
    ++FGeneration;
  }
  int ChunkCount() const { return static_cast<int>(FChunks.size()); }
  const TBuffer& Chunk(int index) const { return *FChunks.at(static_cast<size_t>(index)); }

  // Writes through Send(data, length, sent) -> outcome, with the count the
  // system took in Sent. Drained chunks but the last are freed. Returns Sent
  // when everything went out (the all-sent condition), WouldBlock when the
  // system took less or asked to wait, else the failure.
  //
  // Send runs the caller's code (the socket's OnSendData handler), which
  // may queue more (taken along by this call: a call made meanwhile returns
  // WouldBlock at once) or discard the queue (Abort, Connect, Listen): this
  // call then ends with Discarded and touches no chunk again.
  template <typename SendFn>
  TSendOutcome TryToSend(SendFn send);

private:
  std::deque<std::unique_ptr<TBuffer>> FChunks;
  unsigned FGeneration = 0;
  bool FSending = false;
};

template <typename SendFn>
TSendOutcome TSendQueue::TryToSend(SendFn send) {
  if (FSending) return TSendOutcome::WouldBlock;
  struct TSendingMark {
    bool& flag;
    explicit TSendingMark(bool& f) : flag(f) { flag = true; }
    ~TSendingMark() { flag = false; }
  } mark(FSending);
  const unsigned generation = FGeneration;
  while (!FChunks.empty()) {
    int unread = 0;
    const unsigned char* data = FChunks.front()->Peek(unread);
    if (unread == 0) {
      if (FChunks.size() > 1) {
        FChunks.pop_front();
        continue;
      }
      return TSendOutcome::Sent;  // the last chunk stays, empty, for reuse
    }
    int sent = 0;
    const TSendOutcome outcome = send(data, unread, sent);
    if (generation != FGeneration) return TSendOutcome::Discarded;
    if (outcome != TSendOutcome::Sent) return outcome;
    if (sent <= 0) return TSendOutcome::WouldBlock;
    FChunks.front()->Remove(sent);
    if (sent < unread) return TSendOutcome::WouldBlock;  // the system buffer is full
  }
  return TSendOutcome::Sent;
}
