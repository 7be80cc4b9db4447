#include "setup/core/Sha1.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "setup/core/StringFormat.h"

namespace {

struct Implementation {
  const char* name;
  Sha1CompressFn compress;
};

std::vector<Implementation> Implementations() {
  std::vector<Implementation> list{{"portable", &Sha1CompressPortable}};
  if (Sha1HardwareAvailable()) list.push_back({"hardware", &Sha1CompressHardware});
  return list;
}

std::string Hex(const THash& hash) { return BytesToText(hash.DigestKey(), hash.DigestKeySize(), 16); }

// Feeds Message in pieces of Chunk bytes.
std::string Digest(Sha1CompressFn compress, const std::string& message, size_t chunk) {
  THash_SHA1 hash(compress);
  hash.Init();
  for (size_t at = 0; at < message.size(); at += chunk)
    hash.Calc(message.data() + at, std::min(chunk, message.size() - at));
  hash.Done();
  return Hex(hash);
}

const struct {
  std::string message;
  const char* digest;
} kVectors[] = {
    {"", "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"},
    {"abc", "A9993E364706816ABA3E25717850C26C9CD0D89D"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "84983E441C3BD26EBAAE4AA1F95129E5E54670F1"},
    {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopq"
     "rsmnopqrstnopqrstu",
     "A49B2446A02C645BF419F995B67091253A04A259"},
    {"The quick brown fox jumps over the lazy dog", "2FD4E1C67A2D28FCED849EE1BB76E7391B93EB12"},
    {std::string(1000000, 'a'), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F"},
};

}  // namespace

TEST(Sha1, StandardVectorsInChunksAroundTheBlockSize) {
  for (const auto& impl : Implementations())
    for (const auto& v : kVectors)
      for (size_t chunk : {size_t{1}, size_t{3}, size_t{55}, size_t{63}, size_t{64}, size_t{65},
                           size_t{127}, size_t{1000}, size_t{4096}, size_t{1} << 20})
        EXPECT_EQ(v.digest, Digest(impl.compress, v.message, chunk))
            << impl.name << ", length " << v.message.size() << ", chunk " << chunk;
}

TEST(Sha1, PaddingBoundaries) {
  // Lengths 55, 56 and 64 decide whether the length field needs a second
  // block; each must agree between both implementations and across chunking.
  std::mt19937 rng(7);
  for (size_t length : {0, 1, 55, 56, 57, 63, 64, 65, 119, 120, 128}) {
    std::string m(length, '\0');
    for (auto& c : m) c = static_cast<char>(rng());
    const std::string whole = Digest(&Sha1CompressPortable, m, m.size() + 1);
    for (const auto& impl : Implementations())
      for (size_t chunk = 1; chunk <= 65; chunk += 16) EXPECT_EQ(whole, Digest(impl.compress, m, chunk));
  }
}

TEST(Sha1, HardwareMatchesPortableOnRandomData) {
  if (!Sha1HardwareAvailable()) GTEST_SKIP() << "no SHA instructions on this processor";
  std::mt19937 rng(42);
  std::vector<std::uint8_t> data(64 * 300);
  for (auto& b : data) b = static_cast<std::uint8_t>(rng());
  for (size_t blocks : {1, 2, 3, 17, 300}) {
    std::uint32_t a[5];
    for (auto& word : a) word = static_cast<std::uint32_t>(rng());
    std::uint32_t b[5];
    std::memcpy(b, a, sizeof a);
    Sha1CompressPortable(a, data.data(), blocks);
    Sha1CompressHardware(b, data.data(), blocks);
    EXPECT_EQ(0, std::memcmp(a, b, sizeof a)) << blocks << " blocks";
  }
  for (int round = 0; round < 50; ++round) {
    const size_t length = rng() % 5000;
    std::string m(length, '\0');
    for (auto& c : m) c = static_cast<char>(rng());
    EXPECT_EQ(Digest(&Sha1CompressPortable, m, 1 + rng() % 200),
              Digest(&Sha1CompressHardware, m, 1 + rng() % 200));
  }
}

TEST(Sha1, InitStartsAFreshMessage) {
  THash_SHA1 hash;
  hash.Calc("garbage", 7);
  hash.Init();
  hash.Calc("abc", 3);
  hash.Done();
  EXPECT_EQ("A9993E364706816ABA3E25717850C26C9CD0D89D", Hex(hash));
}

TEST(Sha1, ReleaseOverwritesTheDigest) {
  alignas(THash_SHA1) unsigned char storage[sizeof(THash_SHA1)];
  auto* hash = new (storage) THash_SHA1();
  hash->Calc("abc", 3);
  hash->Done();
  const std::uint8_t* digest = hash->DigestKey();
  const size_t offset = static_cast<size_t>(digest - storage);
  ASSERT_EQ(0xA9, digest[0]);
  hash->~THash_SHA1();
  const volatile unsigned char* after = storage + offset;
  for (size_t i = 0; i < 20; ++i) EXPECT_EQ(0, after[i]) << "byte " << i;
}
