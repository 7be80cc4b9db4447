#pragma once
// A copy of what the screen or a window shows, for tests that look at it:
// read pixels from it and save it as a .bmp for a person to look at.

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "rtl/win32/Graphics.h"

class ScreenPixels {
public:
  // Copies the screen rectangle R; empty when the screen cannot be read.
  explicit ScreenPixels(const RECT& r) { Copy(nullptr, r); }
  // Copies a window of this process, frame included, from the window
  // itself: Wine puts what a window painted on the screen a little later,
  // and not while its own thread is busy in a menu's loop.
  explicit ScreenPixels(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    Copy(window, {0, 0, r.right - r.left, r.bottom - r.top});
  }

  bool Empty() const { return FWords.empty(); }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // The colour at (X, Y) of the copy, as a COLORREF; CLR_INVALID outside.
  COLORREF At(int x, int y) const {
    if (Empty() || x < 0 || y < 0 || x >= FWidth || y >= FHeight) return CLR_INVALID;
    const std::uint32_t w = FWords[static_cast<size_t>(y) * FWidth + x];
    return RGB(w >> 16 & 0xFF, w >> 8 & 0xFF, w & 0xFF);
  }

  bool SaveBmp(const std::string& path) const {
    if (Empty()) return false;
    std::ofstream out(path, std::ios::binary);
    const BITMAPINFO info = Info();
    const DWORD dataSize = static_cast<DWORD>(FWords.size() * 4);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + dataSize;
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(reinterpret_cast<const char*>(FWords.data()), dataSize);
    return static_cast<bool>(out);
  }

private:
  void Copy(HWND window, const RECT& r) {
    FWidth = r.right - r.left;
    FHeight = r.bottom - r.top;
    if (FWidth <= 0 || FHeight <= 0) return;
    HDC source = window ? ::GetWindowDC(window) : ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(source);
    BITMAPINFO info = Info();
    void* bits = nullptr;
    HBITMAP section = ::CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory && section && bits) {
      HGDIOBJ old = ::SelectObject(memory, section);
      if (::BitBlt(memory, 0, 0, FWidth, FHeight, source, r.left, r.top, SRCCOPY)) {
        ::GdiFlush();
        const auto* words = static_cast<const std::uint32_t*>(bits);
        FWords.assign(words, words + static_cast<size_t>(FWidth) * FHeight);
        for (std::uint32_t& w : FWords) w |= 0xFF000000u;  // opaque, for viewers that honour alpha
      }
      ::SelectObject(memory, old);
    }
    if (section) ::DeleteObject(section);
    if (memory) ::DeleteDC(memory);
    ::ReleaseDC(window, source);
  }

  BITMAPINFO Info() const { return rtl::Dib32Info(FWidth, FHeight); }

  int FWidth = 0, FHeight = 0;
  std::vector<std::uint32_t> FWords;
};

// Equal within Tolerance per channel.
inline bool Near(COLORREF a, COLORREF b, int tolerance = 0) {
  if (a == CLR_INVALID || b == CLR_INVALID) return false;
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// The folder for screenshots: ORV_SHOT_DIR, or the current one.
inline std::string ShotPath(const std::string& name) {
  const char* dir = std::getenv("ORV_SHOT_DIR");
  return (dir && *dir ? std::string(dir) + "\\" : std::string()) + name;
}
