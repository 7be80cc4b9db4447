#include "net/core/SendQueue.h"

#include <algorithm>
#include <cstring>

TBuffer::TBuffer(int capacity) : FData(static_cast<size_t>(capacity > 0 ? capacity : 1514)) {}

int TBuffer::Write(const void* data, int length) {
  const int n = std::max(0, std::min(length, Capacity() - FWriteCount));
  if (n > 0) std::memcpy(FData.data() + FWriteCount, data, static_cast<size_t>(n));
  FWriteCount += n;
  return n;
}

const unsigned char* TBuffer::Peek(int& length) const {
  length = FWriteCount - FReadCount;
  return FData.data() + FReadCount;
}

int TBuffer::Remove(int length) {
  const int n = std::max(0, std::min(length, FWriteCount - FReadCount));
  FReadCount += n;
  if (FReadCount >= FWriteCount) FReadCount = FWriteCount = 0;
  return n;
}

void TBuffer::SetCapacity(int capacity) {
  const size_t size = static_cast<size_t>(capacity > 0 ? capacity : 1514);
  FData.resize(std::max(size, static_cast<size_t>(FWriteCount)));
}

void TSendQueue::Queue(const void* data, int length) {
  if (length <= 0) return;
  const auto* bytes = static_cast<const unsigned char*>(data);
  if (FChunks.empty()) FChunks.push_back(std::make_unique<TBuffer>(kChunkSize));
  int done = FChunks.back()->Write(bytes, length);
  while (done < length) {
    FChunks.push_back(std::make_unique<TBuffer>(kChunkSize));
    done += FChunks.back()->Write(bytes + done, length - done);
  }
}
