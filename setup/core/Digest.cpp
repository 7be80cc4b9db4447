#include "setup/core/Digest.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "rtl/core/Thread.h"
#include "setup/core/StringFormat.h"

std::string DigestOfStream(THashClass HashClass, rtl::TStream& Stream, std::int64_t Count,
                           int Format) {
  // A fixed buffer keeps memory flat whatever the size of the range. It is
  // 64 KiB rather than a page: under Wine every ReadFile has a fixed cost
  // that 4 KiB reads pay sixteen times as often.
  constexpr std::int32_t kBufferSize = 64 * 1024;
  std::unique_ptr<THash> hash = HashClass();
  hash->Init();
  std::vector<unsigned char> buffer(kBufferSize);
  if (Count < 0) {
    Stream.SetPosition(0);
    Count = Stream.Size();
  }
  while (Count > 0) {
    const auto want = static_cast<std::int32_t>(std::min<std::int64_t>(Count, kBufferSize));
    const std::int32_t got = Stream.Read(buffer.data(), want);
    if (got <= 0) break;
    hash->Calc(buffer.data(), static_cast<std::size_t>(got));
    Count -= got;
  }
  hash->Done();
  return BytesToText(hash->DigestKey(), hash->DigestKeySize(), Format);
}

namespace {

// Reads Count bytes from the file's position into Buffer; false when the
// file ends first or a read fails.
bool ReadFully(rtl::NativeFile File, unsigned char* Buffer, std::int32_t Count) {
  while (Count > 0) {
    const std::int32_t got = rtl::FileRead(File, Buffer, Count);
    if (got <= 0) return false;
    Buffer += got;
    Count -= got;
  }
  return true;
}

// The slices between the reading thread and the hashing one. Slice k lives
// in slot k % kDigestSlices; the reader fills it once k - Taken is below the
// number of slots, the hasher hashes it once Filled is above k. Slices are
// counted in 32 bits, lock-free on every processor the runtime runs on.
struct SliceRing {
  rtl::NativeFile File;
  std::int64_t Count;
  std::unique_ptr<unsigned char[]> Slots{new unsigned char[std::size_t{kDigestSliceSize} * kDigestSlices]};
  std::atomic<std::uint32_t> Filled{0};
  std::atomic<std::uint32_t> Taken{0};
  // The reader met an error or the end of the file; slices before Filled
  // are still sound.
  std::atomic<bool> Failed{false};
  // The hasher gives up; the reader stops at its next look.
  std::atomic<bool> Abandoned{false};

  unsigned char* Slot(std::uint32_t k) { return Slots.get() + std::size_t{k % kDigestSlices} * kDigestSliceSize; }
  std::int32_t SliceLength(std::uint32_t k) const {
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(kDigestSliceSize, Count - std::int64_t{k} * kDigestSliceSize));
  }
};

void ReadSlices(void* context) {
  SliceRing& ring = *static_cast<SliceRing*>(context);
  for (std::uint32_t k = 0; std::int64_t{k} * kDigestSliceSize < ring.Count; ++k) {
    for (unsigned round = 0; k - ring.Taken.load(std::memory_order_acquire) >= kDigestSlices; ++round) {
      if (ring.Abandoned.load(std::memory_order_acquire)) return;
      rtl::PauseWhileWaiting(round);
    }
    if (!ReadFully(ring.File, ring.Slot(k), ring.SliceLength(k))) {
      ring.Failed.store(true, std::memory_order_release);
      return;
    }
    ring.Filled.store(k + 1, std::memory_order_release);
  }
}

// Stops the reader and waits for it on every way out of the hashing loop.
class ReaderGuard {
public:
  explicit ReaderGuard(SliceRing& Ring) : FRing(Ring) {}
  ~ReaderGuard() {
    FRing.Abandoned.store(true, std::memory_order_release);
    FThread.Join();
  }
  bool Start() { return FThread.Start(&ReadSlices, &FRing); }

private:
  SliceRing& FRing;
  rtl::WorkerThread FThread;
};

// On one thread: each slice read, then hashed.
bool HashAlone(THash& Hash, SliceRing& Ring) {
  for (std::uint32_t k = 0; std::int64_t{k} * kDigestSliceSize < Ring.Count; ++k) {
    if (!ReadFully(Ring.File, Ring.Slot(0), Ring.SliceLength(k))) return false;
    Hash.Calc(Ring.Slot(0), static_cast<std::size_t>(Ring.SliceLength(k)));
  }
  return true;
}

// Each slice hashed as soon as the reader has it, while it reads the next.
bool HashWhileReading(THash& Hash, SliceRing& Ring) {
  for (std::uint32_t k = 0; std::int64_t{k} * kDigestSliceSize < Ring.Count; ++k) {
    for (unsigned round = 0; Ring.Filled.load(std::memory_order_acquire) <= k; ++round) {
      // Filled is looked at again after Failed: the reader may have filled
      // this slice just before it failed on a later one.
      if (Ring.Failed.load(std::memory_order_acquire))
        if (Ring.Filled.load(std::memory_order_acquire) <= k) return false;
      rtl::PauseWhileWaiting(round);
    }
    Hash.Calc(Ring.Slot(k), static_cast<std::size_t>(Ring.SliceLength(k)));
    Ring.Taken.store(k + 1, std::memory_order_release);
  }
  return true;
}

}  // namespace

std::optional<std::string> DigestOfFile(THashClass HashClass, rtl::NativeFile File,
                                        std::int64_t Position, std::int64_t Count, int Format,
                                        bool ReadAhead) {
  // More than 2^32 slices (256 TiB) would overflow the slice counts.
  if (Position < 0 || Count < 0 || Count / kDigestSliceSize >= std::int64_t{1} << 32) return std::nullopt;
  if (rtl::FileSeek(File, Position, rtl::SeekOrigin::Beginning) != Position) return std::nullopt;
  std::unique_ptr<THash> hash = HashClass();
  hash->Init();
  SliceRing ring{File, Count};
  bool complete;
  {
    ReaderGuard reader(ring);
    // Sequential reads on one handle: under Wine a read at an offset costs
    // several times a plain one.
    if (Count > kDigestSliceSize && ReadAhead && rtl::ProcessorCount() > 1 && reader.Start())
      complete = HashWhileReading(*hash, ring);
    else
      complete = HashAlone(*hash, ring);
  }
  if (!complete) return std::nullopt;
  hash->Done();
  return BytesToText(hash->DigestKey(), hash->DigestKeySize(), Format);
}
