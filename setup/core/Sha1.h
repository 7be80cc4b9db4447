#pragma once
// SHA-1 as published in FIPS 180-1.

#include "setup/core/Hash.h"
#include "setup/core/Sha1Compress.h"

class THash_SHA1 : public THash {
public:
  // The fastest compression of this processor unless one is given (tests
  // compare both).
  explicit THash_SHA1(Sha1CompressFn Compress = Sha1BestCompress());
  ~THash_SHA1() override;

  static std::unique_ptr<THash> Create();

  void Init() override;
  void Calc(const void* Data, std::size_t Length) override;
  void Done() override;
  const std::uint8_t* DigestKey() const override { return FDigest; }
  std::size_t DigestKeySize() const override { return sizeof FDigest; }

private:
  Sha1CompressFn FCompress;
  std::uint32_t FState[5];
  std::uint64_t FLength;  // bytes fed so far
  std::uint8_t FBuffer[64];
  std::size_t FBuffered;
  std::uint8_t FDigest[20];
};
