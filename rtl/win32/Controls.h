#pragma once
// Child controls on a form: thin owners of standard Windows controls with
// the design names, places and events the forms give them.

#include <windows.h>

#include <functional>
#include <string>

#include "rtl/win32/Handles.h"

namespace rtl {

class TButton;
class TControl;

// Results of a modal form, as the UI library numbers them.
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

// The window that carries controls, as they reach it; the form is one.
// A control registers with it for its id, takes its font and face colour,
// and hands it the focus, the default button and a modal result.
class TControlParent {
public:
  virtual HWND ParentHandle() const = 0;
  virtual HFONT FontHandle() const = 0;
  // The system colour (COLOR_*) of the face, which labels and boxes take
  // as their background.
  virtual int ColorIndex() const = 0;
  // Returns the control's default dialog id.
  virtual int RegisterControl(TControl* control) = 0;
  virtual void UnregisterControl(TControl* control) = 0;
  virtual void SetActiveControl(HWND control) = 0;
  virtual void SetDefaultButton(TButton* button) = 0;
  virtual void SetModalResult(int result) = 0;

protected:
  ~TControlParent() = default;
};

class TControl {
public:
  virtual ~TControl();
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  HWND Handle() const { return FHandle; }
  int ID() const { return FID; }
  // The control's dialog id, for keyboard handling and for programs that
  // look for it (tests); by default a number unique within the form.
  void SetDlgID(int id) { ::SetWindowLongPtrA(FHandle, GWLP_ID, id); }
  TControlParent& Form() const { return *FForm; }

  std::string Caption() const;
  void SetCaption(const std::string& text);
  bool Visible() const;
  void SetVisible(bool visible);
  bool Enabled() const;
  void SetEnabled(bool enabled);
  // Gives the focus now, or when the form is activated if it is hidden.
  void SetFocus();
  void SetTabStop(bool tabStop);
  bool Focused() const { return ::GetFocus() == FHandle; }
  void SetBounds(int left, int top, int width, int height);
  // A tooltip shown when the mouse rests on the control.
  void SetHint(const std::string& hint);
  // The hand cursor over the control.
  bool HandPoint = false;

  std::function<void()> OnClick;
  std::function<void()> OnChange;

  // Called by the form for WM_COMMAND notifications of this control.
  virtual void Notify(WORD code);
  // Called by the form for WM_CTLCOLOR*; null for the default colours.
  virtual HBRUSH ControlColor(HDC dc);

protected:
  TControl(TControlParent& form, const char* className, DWORD style, DWORD exStyle, int left, int top,
           int width, int height, const std::string& caption);
  // For a control whose own window procedure must see its first messages:
  // the most derived constructor makes the window with CreateControlHandle,
  // passing its object as the creation parameter, once its dispatch is set.
  explicit TControl(TControlParent& form);
  void CreateControlHandle(const char* className, DWORD style, DWORD exStyle, int left, int top,
                           int width, int height, const std::string& caption, void* createParam);

  TControlParent* FForm;
  HWND FHandle = nullptr;
  int FID;
};

class TLabel : public TControl {
public:
  // Sizes itself to its caption, as an auto-sized label does.
  TLabel(TControlParent& form, int left, int top, const std::string& caption = "");
  void SetCaption(const std::string& text);
  // Link style: navy, underlined, hand cursor.
  void SetLinkStyle();
  // Font size in pixels and weight; the label resizes.
  void SetFont(int pixelHeight, bool bold);
  // The weight alone, keeping size and style.
  void SetBold(bool bold);
  bool Bold() const;
  HBRUSH ControlColor(HDC dc) override;

private:
  void AutoSize();
  COLORREF FColor = CLR_INVALID;
  Font FFont;
};

class TEdit : public TControl {
public:
  TEdit(TControlParent& form, int left, int top, int width, int height);
  std::string Text() const { return Caption(); }
  void SetText(const std::string& text) { SetCaption(text); }
  bool ReadOnly() const;
  void SetReadOnly(bool readOnly);
  // Every character shown as C ('\0' shows the text).
  void SetPasswordChar(char c);
  // Button-face background while read-only, as the form asks for.
  bool ButtonFaceColor = false;
  // The focus left the edit.
  std::function<void()> OnExit;
  void Notify(WORD code) override;
  HBRUSH ControlColor(HDC dc) override;

protected:
  // The window comes from the derived class (see TControl).
  explicit TEdit(TControlParent& form) : TControl(form) {}
};

class TMemo : public TControl {
public:
  // Read-only, borderless, button-face coloured, no tab stop.
  TMemo(TControlParent& form, int left, int top, int width, int height);
  void AddLine(const std::string& line);
  HBRUSH ControlColor(HDC dc) override;
};

class TCheckBox : public TControl {
public:
  TCheckBox(TControlParent& form, int left, int top, int width, int height, const std::string& caption);
  bool Checked() const;
  void SetChecked(bool checked);
  // As a click does: a new state runs OnClick.
  void SetCheckedAndClick(bool checked);
  // Draws the caption struck through.
  void SetStrikeOut(bool strikeOut);

private:
  Font FFont;
};

// A push button, optionally with a small system icon as its glyph.
class TButton : public TControl {
public:
  TButton(TControlParent& form, int left, int top, int width, int height, const std::string& caption,
          bool isDefault = false, LPCSTR glyph = nullptr);
  void Notify(WORD code) override;
  // The form closes a modal loop with this result when the button is clicked.
  int ModalResult = 0;
};

// A flat button with a folder glyph and no text.
class TSpeedButton : public TButton {
public:
  TSpeedButton(TControlParent& form, int left, int top, int width, int height);

private:
  Icon FGlyph;
};

// An etched frame or line.
class TBevel : public TControl {
public:
  enum class Shape { Box, TopLine };
  TBevel(TControlParent& form, int left, int top, int width, int height, Shape shape = Shape::Box,
         bool raised = false);
};

// A picture: an icon or a bitmap from the program's resources.
class TImage : public TControl {
public:
  TImage(TControlParent& form, int left, int top, int width, int height);
  void SetIcon(LPCSTR resource);
  // Shows a copy of Icon, which stays the caller's.
  void SetIconHandle(HICON icon);
  HICON IconHandle() const { return FIcon.Get(); }
  void SetBitmap(LPCSTR resource);

private:
  Icon FIcon;
  Bitmap FBitmap;
};

}  // namespace rtl
