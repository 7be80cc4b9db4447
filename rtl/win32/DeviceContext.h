#pragma once
// Owners for device contexts and for what is selected into them: a
// context taken from a window goes back to it, a memory context is
// deleted, and a selection puts the previous object back.

#include <windows.h>

namespace rtl {

class WindowDC {
public:
  // Null for the whole screen.
  explicit WindowDC(HWND window) : FWindow(window), FDC(::GetDC(window)) {}
  ~WindowDC() {
    if (FDC) ::ReleaseDC(FWindow, FDC);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC Get() const { return FDC; }

private:
  HWND FWindow;
  HDC FDC;
};

class MemoryDC {
public:
  explicit MemoryDC(HDC like) : FDC(::CreateCompatibleDC(like)) {}
  ~MemoryDC() {
    if (FDC) ::DeleteDC(FDC);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC Get() const { return FDC; }

private:
  HDC FDC;
};

class Selection {
public:
  Selection(HDC dc, HGDIOBJ object) : FDC(dc), FOld(::SelectObject(dc, object)) {}
  ~Selection() { ::SelectObject(FDC, FOld); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

private:
  HDC FDC;
  HGDIOBJ FOld;
};

}  // namespace rtl
