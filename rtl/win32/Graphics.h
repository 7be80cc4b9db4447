#pragma once
// Colours, fonts and bitmaps in the UI library's manner: a colour value that
// may name a system colour, a font description that makes its GDI font on
// demand, and a bitmap that knows its size and draws itself, transparently
// when asked.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "rtl/win32/Handles.h"

namespace rtl {

// An RGB value (red in the low byte) or, with the top byte 0xFF, the index
// of a system colour.
using TColor = std::int32_t;
constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);
constexpr TColor SystemColor(int index) { return clSystemColor | index; }
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);

// The RGB value a colour stands for now.
COLORREF ColorToRGB(TColor color);

enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
enum TFontPitch { fpDefault, fpVariable, fpFixed };

class TFont {
public:
  TFont() = default;
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  const std::string& Name() const { return FName; }
  void SetName(const std::string& name);
  // Negative: character height in pixels; positive: cell height.
  int Height() const { return FHeight; }
  void SetHeight(int height);
  // Points, on the screen's resolution.
  void SetSize(int points);
  int Style() const { return FStyle; }  // TFontStyle bits
  void SetStyle(int style);
  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  BYTE Charset() const { return FCharset; }
  void SetCharset(BYTE charset);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch pitch);
  void Assign(const TFont& other);

  LOGFONTA LogFont() const;
  // Made on first use and again after a change; stays this font's.
  HFONT Handle() const;

  std::function<void()> OnChange;

private:
  void Changed();

  std::string FName = "MS Sans Serif";
  int FHeight = -11;
  int FStyle = 0;
  TColor FColor = clWindowText;
  BYTE FCharset = DEFAULT_CHARSET;
  TFontPitch FPitch = fpDefault;
  mutable Font FHandle;
};

// The header of a 32-bit top-down bitmap of Width x Height: row 0 first in
// memory, one word per pixel (blue, green, red, unused).
inline BITMAPINFO Dib32Info(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// Transparent drawing of any bitmap: the pixels of its bottom-left pixel's
// colour are left out. A monochrome bitmap is drawn in TextColour on the
// colour of its set bits' background.
void DrawTransparentBitmap(HDC dc, HBITMAP bitmap, int x, int y, COLORREF textColour);
// The same, stretched over Target.
void DrawTransparentBitmap(HDC dc, HBITMAP bitmap, const RECT& target, COLORREF textColour);
SIZE BitmapSize(HBITMAP bitmap);

class TBitmap {
public:
  TBitmap() = default;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  HBITMAP Handle() const { return FHandle.Get(); }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Empty() const { return !FHandle || FWidth <= 0 || FHeight <= 0; }
  // Takes the bitmap.
  void SetHandle(Bitmap bitmap);
  // Raises rtl::Exception when the program has no such bitmap.
  void LoadFromResourceName(HINSTANCE instance, const char* name);
  void Assign(const TBitmap& other);
  // A 32-bit top-down bitmap of Width x Height whose words Bits() gives.
  void SetSize32(int width, int height);
  std::uint32_t* Bits() const { return FBits; }

  bool Transparent = false;
  // At (X, Y) in its own size, or stretched over R, leaving out its
  // transparent colour when Transparent is set.
  void Draw(HDC dc, int x, int y) const;
  void StretchDraw(HDC dc, const RECT& r) const;

  std::function<void()> OnChange;

private:
  void Take(Bitmap bitmap, std::uint32_t* bits);
  Bitmap FHandle;
  int FWidth = 0, FHeight = 0;
  std::uint32_t* FBits = nullptr;
};

}  // namespace rtl
