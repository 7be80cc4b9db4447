#pragma once
// Owners for system handles: each closes its handle in the destructor and
// cannot be copied, only moved.

#include <windows.h>

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
  explicit operator bool() const noexcept { return FHandle != Traits::Invalid(); }
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

struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};
// CreateFile reports failure as INVALID_HANDLE_VALUE, not as null.
struct FileHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};
struct RegKeyTraits {
  using Type = HKEY;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::RegCloseKey(h); }
};
struct ModuleTraits {
  using Type = HMODULE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::FreeLibrary(h); }
};
struct IconTraits {
  using Type = HICON;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DestroyIcon(h); }
};
struct MenuTraits {
  using Type = HMENU;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DestroyMenu(h); }
};
template <typename T>
struct GdiObjectTraits {
  using Type = T;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DeleteObject(h); }
};

using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FileHandleW = UniqueHandle<FileHandleTraits>;
using RegKey = UniqueHandle<RegKeyTraits>;
using Module = UniqueHandle<ModuleTraits>;
using Icon = UniqueHandle<IconTraits>;
using Menu = UniqueHandle<MenuTraits>;
using Font = UniqueHandle<GdiObjectTraits<HFONT>>;
using Brush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using Pen = UniqueHandle<GdiObjectTraits<HPEN>>;
using Bitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;

}  // namespace rtl
