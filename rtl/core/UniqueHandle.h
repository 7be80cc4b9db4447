#pragma once
// Owner of one system handle: closes it in the destructor, cannot be copied,
// only moved. Traits name the handle type, its invalid value and its close.

#include <utility>

namespace rtl {

template <typename Traits>
class UniqueHandle {
public:
  using Type = typename Traits::Type;

  UniqueHandle() noexcept : FHandle(Traits::Invalid()) {}
  explicit UniqueHandle(Type handle) noexcept : FHandle(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : FHandle(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  Type Get() const noexcept { return FHandle; }
  bool Valid() const noexcept { return FHandle != Traits::Invalid(); }
  explicit operator bool() const noexcept { return Valid(); }
  Type Release() noexcept { return std::exchange(FHandle, Traits::Invalid()); }
  void Reset(Type handle = Traits::Invalid()) noexcept {
    if (FHandle != Traits::Invalid()) Traits::Close(FHandle);
    FHandle = handle;
  }
  // For out-parameters of API calls; closes what was held.
  Type* Put() noexcept {
    Reset();
    return &FHandle;
  }

private:
  Type FHandle;
};

}  // namespace rtl
