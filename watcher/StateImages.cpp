#include "watcher/StateImages.h"

#include <string>

#include "rtl/win32/Window.h"
#include "watcher/core/IconFile.h"

HICON LoadSmallIcon(const char* name) {
  return static_cast<HICON>(::LoadImageA(rtl::ModuleInstance(), name, IMAGE_ICON, 16, 16, 0));
}

TStateImages::TStateImages() {
  for (int i = 0; i < kCount; ++i) FImages[i].Reset(LoadSmallIcon(("S" + std::to_string(i + 1)).c_str()));
}

namespace {

HICON LoadIconFileResource(const std::string& name) {
  HMODULE module = rtl::ModuleInstance();
  HRSRC info = ::FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!info) return nullptr;
  HGLOBAL data = ::LoadResource(module, info);
  const auto* bytes = static_cast<const std::uint8_t*>(data ? ::LockResource(data) : nullptr);
  const DWORD size = ::SizeofResource(module, info);
  IconImageSpan span{};
  if (!bytes || !PickIconImage(bytes, size, 16, 16, 32, span)) return nullptr;
  return ::CreateIconFromResourceEx(const_cast<PBYTE>(bytes + span.Offset), static_cast<DWORD>(span.Size), TRUE,
                                    0x00030000, 16, 16, LR_DEFAULTCOLOR);
}

}  // namespace

void TStateImages::LoadRichImages() {
  for (int i = 0; i < kCount; ++i)
    if (HICON icon = LoadIconFileResource("I" + std::to_string(i + 1))) FImages[i].Reset(icon);
}

HICON TStateImages::Image(TStateImage image) const { return FImages[static_cast<int>(image)].Get(); }

