// Hashes a file with DigestOfFile, as the setup runtime checks its payload,
// and prints the digest and the throughput of the hashing alone; then, as
// the last two fields, the time of the SHA-1 compression alone over as many
// bytes, from one buffer that stays in the cache, so that the rest of the
// pass is what reading the file costs.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "rtl/core/FileLayer.h"
#include "setup/core/Digest.h"
#include "setup/core/Sha1.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: digestfile FILE [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  // Opened as the runtime opens its own file.
  rtl::FileHandle file(rtl::FileOpenReadLocked(argv[1]));
  if (!file) {
    std::fprintf(stderr, "digestfile: %s\n", rtl::FileErrorText(rtl::LastFileError()).c_str());
    return 1;
  }
  try {
    const std::int64_t size = rtl::FileSize(file.Get());
    double best = 1e30;
    std::string digest;
    for (int i = 0; i < (rounds > 0 ? rounds : 1); ++i) {
      const auto start = std::chrono::steady_clock::now();
      const std::optional<std::string> found = DigestOfFile(&THash_SHA1::Create, file.Get(), 0, size, 16);
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (!found) {
        std::fprintf(stderr, "digestfile: the file could not be read to its end\n");
        return 1;
      }
      digest = *found;
      if (seconds < best) best = seconds;
    }
    // The size of the slices that DigestOfFile reads.
    std::vector<unsigned char> block(kDigestSliceSize, 0x5A);
    double compression = 1e30;
    for (int i = 0; i < (rounds > 0 ? rounds : 1); ++i) {
      THash_SHA1 hash;
      hash.Init();
      const auto start = std::chrono::steady_clock::now();
      for (std::int64_t left = size; left > 0; left -= static_cast<std::int64_t>(block.size()))
        hash.Calc(block.data(), static_cast<std::size_t>(std::min<std::int64_t>(left, block.size())));
      hash.Done();
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (seconds < compression) compression = seconds;
    }
    std::printf("%s %lld bytes %.4f s %.1f MB/s %s compression %.4f s\n", digest.c_str(),
                static_cast<long long>(size), best, static_cast<double>(size) / 1e6 / best,
                Sha1HardwareAvailable() ? "sha-instructions" : "portable", compression);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "digestfile: %s\n", e.what());
    return 1;
  }
}
