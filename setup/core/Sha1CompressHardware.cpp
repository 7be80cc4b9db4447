#include "setup/core/Sha1Compress.h"

#include "setup/core/CpuFeatures.h"

#if defined(__i386__) || defined(__x86_64__)
#include <immintrin.h>

#include <utility>

#define ORV_SHA_TARGET __attribute__((target("sha,ssse3,sse4.1")))

bool Sha1HardwareAvailable() { return CpuHasSha1Instructions(); }

namespace {

// One group of four rounds. The message words rotate through four registers
// and the E value through two; the schedule for later groups is computed
// alongside (sha1msg1 three groups ahead, the xor two ahead, sha1msg2 one
// ahead), which is the order the instructions were designed for.
struct Sha1Lanes {
  __m128i abcd;
  __m128i e[2];
  __m128i msg[4];
};

template <int G>
ORV_SHA_TARGET inline __attribute__((always_inline)) void Group(Sha1Lanes& s) {
  constexpr int cur = G & 1;
  constexpr int other = cur ^ 1;
  if constexpr (G == 0) {
    s.e[0] = _mm_add_epi32(s.e[0], s.msg[0]);
  } else {
    s.e[cur] = _mm_sha1nexte_epu32(s.e[cur], s.msg[G & 3]);
  }
  s.e[other] = s.abcd;
  if constexpr (G >= 3 && G <= 18) s.msg[(G - 3) & 3] = _mm_sha1msg2_epu32(s.msg[(G - 3) & 3], s.msg[G & 3]);
  s.abcd = _mm_sha1rnds4_epu32(s.abcd, s.e[cur], G / 5);
  if constexpr (G >= 1 && G <= 16) s.msg[(G - 1) & 3] = _mm_sha1msg1_epu32(s.msg[(G - 1) & 3], s.msg[G & 3]);
  if constexpr (G >= 2 && G <= 17) s.msg[(G - 2) & 3] = _mm_xor_si128(s.msg[(G - 2) & 3], s.msg[G & 3]);
}

template <int... G>
ORV_SHA_TARGET inline __attribute__((always_inline)) void Groups(Sha1Lanes& s,
                                                                 std::integer_sequence<int, G...>) {
  (Group<G>(s), ...);
}

}  // namespace

ORV_SHA_TARGET void Sha1CompressHardware(std::uint32_t State[5], const std::uint8_t* Data,
                                         std::size_t Blocks) {
  const __m128i byteSwap = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
  Sha1Lanes s;
  s.abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(State)), 0x1B);
  s.e[0] = _mm_set_epi32(static_cast<int>(State[4]), 0, 0, 0);
  s.e[1] = _mm_setzero_si128();

  for (; Blocks; --Blocks, Data += 64) {
    const __m128i abcdSaved = s.abcd;
    const __m128i eSaved = s.e[0];
    for (int i = 0; i < 4; ++i)
      s.msg[i] = _mm_shuffle_epi8(
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(Data + 16 * i)), byteSwap);
    Groups(s, std::make_integer_sequence<int, 20>{});
    // Group 19 used e[1]; e[0] holds the A of round 76, from which sha1nexte
    // derives the final E.
    s.e[0] = _mm_sha1nexte_epu32(s.e[0], eSaved);
    s.abcd = _mm_add_epi32(s.abcd, abcdSaved);
  }

  _mm_storeu_si128(reinterpret_cast<__m128i*>(State), _mm_shuffle_epi32(s.abcd, 0x1B));
  State[4] = static_cast<std::uint32_t>(_mm_extract_epi32(s.e[0], 3));
}

#else

bool Sha1HardwareAvailable() { return false; }
void Sha1CompressHardware(std::uint32_t State[5], const std::uint8_t* Data, std::size_t Blocks) {
  Sha1CompressPortable(State, Data, Blocks);
}

#endif

Sha1CompressFn Sha1BestCompress() {
  return Sha1HardwareAvailable() ? &Sha1CompressHardware : &Sha1CompressPortable;
}
