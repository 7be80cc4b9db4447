#pragma once
// Numeric spin edit: a one-line edit with a pair of up and down buttons
// inside its right edge (TSpinEdit); the pair of buttons as a control of its
// own (TSpinButton); and the button that repeats its click while it is held
// down (TTimerSpeedButton).

#include <windows.h>

#include <functional>
#include <memory>

#include "rtl/win32/GraphicButton.h"
#include "rtl/win32/Handles.h"
#include "rtl/win32/SubclassedEdit.h"
#include "rtl/win32/Timer.h"
#include "rtl/win32/Window.h"

namespace ui {

class TTimerSpeedButton : public rtl::TGraphicButton {
public:
  TTimerSpeedButton();
  ~TTimerSpeedButton() override;

  // Held down, the button clicks again after 400 ms and then every 100 ms.
  bool AllowRepeat = false;
  bool ShowFocusRect() const { return FShowFocusRect; }
  void SetShowFocusRect(bool show);
  // The repeat timer, once the button has been held (for tests).
  const rtl::TTimer* RepeatTimer() const { return FRepeatTimer.get(); }

protected:
  void MouseDown() override;
  void MouseUp() override;
  void PaintOver(HDC dc) override;

private:
  void TimerExpired();

  std::unique_ptr<rtl::TTimer> FRepeatTimer;
  bool FShowFocusRect = false;
};

class TSpinButton : public rtl::TWindow {
public:
  // A child of Parent; the width is never less than 15 pixels.
  TSpinButton(HWND parent, int left, int top, int width = 20, int height = 25, bool tabStop = false);
  ~TSpinButton() override;

  void SetBounds(int left, int top, int width, int height);
  int Width() const;
  int Height() const;

  TTimerSpeedButton& UpButton() { return FUpButton; }
  TTimerSpeedButton& DownButton() { return FDownButton; }
  TTimerSpeedButton& FocusedButton() { return *FFocusedButton; }

  HBITMAP UpGlyph() const { return FUpButton.Glyph(); }
  // An empty bitmap loads the program's resource "SpinUp".
  void SetUpGlyph(rtl::Bitmap glyph);
  int UpNumGlyphs() const { return FUpButton.NumGlyphs(); }
  void SetUpNumGlyphs(int count) { FUpButton.SetNumGlyphs(count); }
  HBITMAP DownGlyph() const { return FDownButton.Glyph(); }
  // An empty bitmap loads the program's resource "SpinDown".
  void SetDownGlyph(rtl::Bitmap glyph);
  int DownNumGlyphs() const { return FDownButton.NumGlyphs(); }
  void SetDownNumGlyphs(int count) { FDownButton.SetNumGlyphs(count); }

  // Takes the focus when a button is pressed; none when the window is gone.
  HWND FocusControl() const;
  void SetFocusControl(HWND control) { FFocusControl = control; }
  bool TabStop() const;
  void SetTabStop(bool tabStop);

  std::function<void()> OnUpClick;
  std::function<void()> OnDownClick;

protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  void AdjustSize();
  static void SetGlyph(TTimerSpeedButton& button, rtl::Bitmap glyph, const char* resource);
  void ButtonMouseDown(TTimerSpeedButton& button);
  void SetFocusBtn(TTimerSpeedButton& button);
  bool CanTakeFocus(HWND window) const;

  TTimerSpeedButton FUpButton;
  TTimerSpeedButton FDownButton;
  TTimerSpeedButton* FFocusedButton = &FUpButton;
  HWND FFocusControl = nullptr;
};

class TSpinEdit : public rtl::TSubclassedEdit {
public:
  TSpinEdit(rtl::TControlParent& form, int left, int top, int width, int height);
  ~TSpinEdit() override;

  int Value() const;
  // Writes the decimal text of the clamped value.
  void SetValue(int value);
  int MinValue() const { return FMinValue; }
  void SetMinValue(int value) { FMinValue = value; }
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int value) { FMaxValue = value; }
  int Increment() const { return FIncrement; }
  void SetIncrement(int value) { FIncrement = value; }
  // False: only the buttons and the arrow keys change the value.
  bool EditorEnabled = true;
  // Selects the whole text when the control takes the focus from the
  // keyboard.
  bool AutoSelect = true;
  bool AutoSize() const { return FAutoSize; }
  // On: the height follows the font.
  void SetAutoSize(bool autoSize);
  // The text colour; CLR_INVALID for the system's.
  void SetFontColor(COLORREF color);
  TSpinButton& Button() { return *FButton; }

  // The value limited to MinValue..MaxValue (no limit when they are equal).
  int CheckValue(int value) const;
  // The least height that shows the font; the edit never gets lower.
  int MinHeight() const;

  virtual bool AcceptsChar(char key) const;
  virtual void StepUp();
  virtual void StepDown();

  void Notify(WORD code) override;
  HBRUSH ControlColor(HDC dc) override;

protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The default beep of a refused key or a read-only step.
  virtual void Beep();

private:
  void Resized();
  void SetEditRect();
  void AdjustHeight();
  int Height() const;
  int Width() const;

  std::unique_ptr<TSpinButton> FButton;
  int FMinValue = 0;
  int FMaxValue = 0;
  int FIncrement = 1;
  bool FAutoSize = true;
  bool FLButtonDown = false;
  bool FRaisingHeight = false;
  bool FSettingText = false;
  bool FChangeNotified = false;
  COLORREF FFontColor = CLR_INVALID;
};

}  // namespace ui
