#include "setup/core/Digest.h"

#include <algorithm>
#include <vector>

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
