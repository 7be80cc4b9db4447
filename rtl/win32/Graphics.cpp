#include "rtl/win32/Graphics.h"

#include <cstring>

#include "rtl/core/Exceptions.h"
#include "rtl/core/SysUtils.h"
#include "rtl/win32/DeviceContext.h"

namespace rtl {

COLORREF ColorToRGB(TColor color) {
  if ((color & clSystemColor) == clSystemColor) return ::GetSysColor(color & 0xFF);
  return static_cast<COLORREF>(color) & 0xFFFFFF;
}

// ---------------------------------------------------------------- font

void TFont::Changed() {
  FHandle.Reset();
  if (OnChange) OnChange();
}

void TFont::SetName(const std::string& name) {
  FName = name;
  Changed();
}
void TFont::SetHeight(int height) {
  FHeight = height;
  Changed();
}
void TFont::SetSize(int points) {
  WindowDC screen(nullptr);
  const int dpi = screen.Get() ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
  SetHeight(-::MulDiv(points, dpi, 72));
}
void TFont::SetStyle(int style) {
  FStyle = style;
  Changed();
}
void TFont::SetColor(TColor color) {
  FColor = color;
  Changed();
}
void TFont::SetCharset(BYTE charset) {
  FCharset = charset;
  Changed();
}
void TFont::SetPitch(TFontPitch pitch) {
  FPitch = pitch;
  Changed();
}

void TFont::Assign(const TFont& other) {
  if (&other == this) return;
  FName = other.FName;
  FHeight = other.FHeight;
  FStyle = other.FStyle;
  FColor = other.FColor;
  FCharset = other.FCharset;
  FPitch = other.FPitch;
  Changed();
}

LOGFONTA TFont::LogFont() const {
  LOGFONTA lf{};
  lf.lfHeight = FHeight;
  lf.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (FStyle & fsItalic) ? 1 : 0;
  lf.lfUnderline = (FStyle & fsUnderline) ? 1 : 0;
  lf.lfStrikeOut = (FStyle & fsStrikeOut) ? 1 : 0;
  lf.lfCharSet = FCharset;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = FPitch == fpVariable ? VARIABLE_PITCH : FPitch == fpFixed ? FIXED_PITCH : DEFAULT_PITCH;
  std::strncpy(lf.lfFaceName, FName.c_str(), LF_FACESIZE - 1);
  return lf;
}

HFONT TFont::Handle() const {
  if (!FHandle) {
    const LOGFONTA lf = LogFont();
    FHandle.Reset(::CreateFontIndirectA(&lf));
    if (!FHandle) rtl::Raise(Exception(Format("The font \"%s\" cannot be made", FName.c_str())));
  }
  return FHandle.Get();
}

// ---------------------------------------------------------------- bitmaps

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !::GetObjectA(bitmap, sizeof info, &info)) return {0, 0};
  return {info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
}

void DrawTransparentBitmap(HDC dc, HBITMAP bitmap, int x, int y, COLORREF textColour) {
  const SIZE size = BitmapSize(bitmap);
  DrawTransparentBitmap(dc, bitmap, {x, y, x + size.cx, y + size.cy}, textColour);
}

void DrawTransparentBitmap(HDC dc, HBITMAP bitmap, const RECT& target, COLORREF textColour) {
  const SIZE size = BitmapSize(bitmap);
  const int width = target.right - target.left, height = target.bottom - target.top;
  if (size.cx <= 0 || size.cy <= 0 || width <= 0 || height <= 0) return;
  MemoryDC source(dc), colour(dc), mask(dc);
  if (!source.Get() || !colour.Get() || !mask.Get()) return;
  Bitmap colourBits(::CreateCompatibleBitmap(dc, size.cx, size.cy));
  Bitmap maskBits(::CreateBitmap(size.cx, size.cy, 1, 1, nullptr));
  if (!colourBits || !maskBits) return;
  Selection s1(source.Get(), bitmap), s2(colour.Get(), colourBits.Get()), s3(mask.Get(), maskBits.Get());
  // A monochrome source takes the colour context's text and background
  // colours on the way; a coloured one is copied as it is.
  ::SetTextColor(colour.Get(), textColour);
  ::SetBkColor(colour.Get(), RGB(255, 255, 255));
  ::BitBlt(colour.Get(), 0, 0, size.cx, size.cy, source.Get(), 0, 0, SRCCOPY);
  const COLORREF transparent = ::GetPixel(colour.Get(), 0, size.cy - 1);
  ::SetBkColor(colour.Get(), transparent);
  ::BitBlt(mask.Get(), 0, 0, size.cx, size.cy, colour.Get(), 0, 0, SRCCOPY);
  // Transparent pixels black in the picture, kept on the target.
  ::SetBkColor(colour.Get(), RGB(0, 0, 0));
  ::SetTextColor(colour.Get(), RGB(255, 255, 255));
  ::BitBlt(colour.Get(), 0, 0, size.cx, size.cy, mask.Get(), 0, 0, SRCAND);
  const COLORREF oldBk = ::SetBkColor(dc, RGB(255, 255, 255));
  const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
  // Mask and picture stretched alike, pixel for pixel (no halftone mixing
  // of the transparent colour into its neighbours).
  const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
  ::StretchBlt(dc, target.left, target.top, width, height, mask.Get(), 0, 0, size.cx, size.cy, SRCAND);
  ::StretchBlt(dc, target.left, target.top, width, height, colour.Get(), 0, 0, size.cx, size.cy, SRCPAINT);
  ::SetStretchBltMode(dc, oldMode);
  ::SetBkColor(dc, oldBk);
  ::SetTextColor(dc, oldText);
}

void TBitmap::Take(Bitmap bitmap, std::uint32_t* bits) {
  const SIZE size = BitmapSize(bitmap.Get());
  FHandle = std::move(bitmap);
  FBits = bits;
  FWidth = size.cx;
  FHeight = size.cy;
  if (OnChange) OnChange();
}

void TBitmap::SetHandle(Bitmap bitmap) { Take(std::move(bitmap), nullptr); }

void TBitmap::LoadFromResourceName(HINSTANCE instance, const char* name) {
  Bitmap loaded(static_cast<HBITMAP>(::LoadImageA(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!loaded) rtl::Raise(Exception(Format("The bitmap resource \"%s\" cannot be loaded", name)));
  SetHandle(std::move(loaded));
}

void TBitmap::Assign(const TBitmap& other) {
  if (&other == this) return;
  Transparent = other.Transparent;
  if (other.Empty()) {
    SetHandle(Bitmap());
    return;
  }
  Bitmap copy(static_cast<HBITMAP>(::CopyImage(other.Handle(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!copy) rtl::Raise(Exception("The bitmap cannot be copied"));
  SetHandle(std::move(copy));
}

void TBitmap::SetSize32(int width, int height) {
  if (width == FWidth && height == FHeight && FBits) return;
  if (width <= 0 || height <= 0) {
    Take(Bitmap(), nullptr);
    return;
  }
  const BITMAPINFO info = Dib32Info(width, height);
  void* bits = nullptr;
  Bitmap section(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!section || !bits) rtl::Raise(Exception(Format("A bitmap of %d x %d cannot be made", width, height)));
  Take(std::move(section), static_cast<std::uint32_t*>(bits));
}

void TBitmap::Draw(HDC dc, int x, int y) const {
  if (Empty()) return;
  if (Transparent) {
    DrawTransparentBitmap(dc, Handle(), x, y, ::GetTextColor(dc));
    return;
  }
  MemoryDC source(dc);
  Selection s(source.Get(), Handle());
  ::BitBlt(dc, x, y, FWidth, FHeight, source.Get(), 0, 0, SRCCOPY);
}

void TBitmap::StretchDraw(HDC dc, const RECT& r) const {
  if (Empty()) return;
  if (Transparent) {
    DrawTransparentBitmap(dc, Handle(), r, ::GetTextColor(dc));
    return;
  }
  MemoryDC source(dc);
  Selection s(source.Get(), Handle());
  const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
  ::StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source.Get(), 0, 0, FWidth, FHeight, SRCCOPY);
  ::SetStretchBltMode(dc, oldMode);
}

}  // namespace rtl
