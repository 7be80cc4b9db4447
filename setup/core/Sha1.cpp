#include "setup/core/Sha1.h"

#include <cstring>

THash_SHA1::THash_SHA1(Sha1CompressFn Compress) : FCompress(Compress) {
  std::memset(FDigest, 0, sizeof FDigest);
  Init();
}

THash_SHA1::~THash_SHA1() {
  SecureZero(FDigest, sizeof FDigest);
  SecureZero(FState, sizeof FState);
  SecureZero(FBuffer, sizeof FBuffer);
}

std::unique_ptr<THash> THash_SHA1::Create() { return std::make_unique<THash_SHA1>(); }

void THash_SHA1::Init() {
  FState[0] = 0x67452301u;
  FState[1] = 0xEFCDAB89u;
  FState[2] = 0x98BADCFEu;
  FState[3] = 0x10325476u;
  FState[4] = 0xC3D2E1F0u;
  FLength = 0;
  FBuffered = 0;
}

void THash_SHA1::Calc(const void* Data, std::size_t Length) {
  const auto* p = static_cast<const std::uint8_t*>(Data);
  FLength += Length;
  if (FBuffered) {
    const std::size_t take = Length < 64 - FBuffered ? Length : 64 - FBuffered;
    std::memcpy(FBuffer + FBuffered, p, take);
    FBuffered += take;
    p += take;
    Length -= take;
    if (FBuffered < 64) return;
    FCompress(FState, FBuffer, 1);
    FBuffered = 0;
  }
  if (Length >= 64) {
    FCompress(FState, p, Length / 64);
    p += Length & ~std::size_t{63};
    Length &= 63;
  }
  if (Length) {
    std::memcpy(FBuffer, p, Length);
    FBuffered = Length;
  }
}

void THash_SHA1::Done() {
  const std::uint64_t bits = FLength * 8;
  FBuffer[FBuffered++] = 0x80;
  if (FBuffered > 56) {
    std::memset(FBuffer + FBuffered, 0, 64 - FBuffered);
    FCompress(FState, FBuffer, 1);
    FBuffered = 0;
  }
  std::memset(FBuffer + FBuffered, 0, 56 - FBuffered);
  for (int i = 0; i < 8; ++i) FBuffer[56 + i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
  FCompress(FState, FBuffer, 1);
  for (int i = 0; i < 5; ++i) {
    FDigest[4 * i + 0] = static_cast<std::uint8_t>(FState[i] >> 24);
    FDigest[4 * i + 1] = static_cast<std::uint8_t>(FState[i] >> 16);
    FDigest[4 * i + 2] = static_cast<std::uint8_t>(FState[i] >> 8);
    FDigest[4 * i + 3] = static_cast<std::uint8_t>(FState[i]);
  }
  FBuffered = 0;
}
