#include "setup/core/Sha1Compress.h"

namespace {

inline std::uint32_t Rol(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

inline std::uint32_t LoadBE(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         std::uint32_t{p[3]};
}

}  // namespace

void Sha1CompressPortable(std::uint32_t State[5], const std::uint8_t* Data, std::size_t Blocks) {
  std::uint32_t w[16];
  for (; Blocks; --Blocks, Data += 64) {
    for (int i = 0; i < 16; ++i) w[i] = LoadBE(Data + 4 * i);
    std::uint32_t a = State[0], b = State[1], c = State[2], d = State[3], e = State[4];

    // The schedule lives in a 16-word ring: w[t] for t >= 16 replaces w[t-16].
    auto next = [&w](int t) {
      const std::uint32_t v =
          Rol(w[(t + 13) & 15] ^ w[(t + 8) & 15] ^ w[(t + 2) & 15] ^ w[t & 15], 1);
      w[t & 15] = v;
      return v;
    };
    auto round = [&](std::uint32_t f, std::uint32_t k, std::uint32_t wt) {
      const std::uint32_t t = Rol(a, 5) + f + e + k + wt;
      e = d;
      d = c;
      c = Rol(b, 30);
      b = a;
      a = t;
    };

    for (int t = 0; t < 16; ++t) round((b & c) | (~b & d), 0x5A827999u, w[t]);
    for (int t = 16; t < 20; ++t) round((b & c) | (~b & d), 0x5A827999u, next(t));
    for (int t = 20; t < 40; ++t) round(b ^ c ^ d, 0x6ED9EBA1u, next(t));
    for (int t = 40; t < 60; ++t) round((b & c) | (b & d) | (c & d), 0x8F1BBCDCu, next(t));
    for (int t = 60; t < 80; ++t) round(b ^ c ^ d, 0xCA62C1D6u, next(t));

    State[0] += a;
    State[1] += b;
    State[2] += c;
    State[3] += d;
    State[4] += e;
  }
}
