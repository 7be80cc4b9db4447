#pragma once
// The digest class family. A hash object holds the running state and the
// digest; releasing it overwrites the digest with zeros.

#include <cstddef>
#include <cstdint>
#include <memory>

class TProtection {
public:
  virtual ~TProtection() = default;
  TProtection() = default;
  TProtection(const TProtection&) = delete;
  TProtection& operator=(const TProtection&) = delete;
};

class THash : public TProtection {
public:
  // Starts a new message.
  virtual void Init() = 0;
  // Feeds the next bytes of the message.
  virtual void Calc(const void* Data, std::size_t Length) = 0;
  // Ends the message; the digest is then in DigestKey.
  virtual void Done() = 0;
  virtual const std::uint8_t* DigestKey() const = 0;
  virtual std::size_t DigestKeySize() const = 0;
};

// A class reference: makes a fresh hash object of one class.
using THashClass = std::unique_ptr<THash> (*)();

// Overwrites memory in a way the optimiser may not drop.
void SecureZero(void* Data, std::size_t Length) noexcept;
