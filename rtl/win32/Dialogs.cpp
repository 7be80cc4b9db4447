#include "rtl/win32/Dialogs.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "rtl/win32/Controls.h"
#include "rtl/win32/Forms.h"

namespace rtl {

namespace {

struct DialogLook {
  const char* title;
  LPCSTR icon;
};

DialogLook LookFor(TMsgDlgType type) {
  switch (type) {
    case TMsgDlgType::Warning: return {"Warnung", IDI_WARNING};
    case TMsgDlgType::Error: return {"Fehler", IDI_ERROR};
    case TMsgDlgType::Information: return {"Informationen", IDI_INFORMATION};
    case TMsgDlgType::Confirmation: return {"Bestätigung", IDI_QUESTION};
  }
  return {"", nullptr};
}

class TMessageForm : public TForm {
public:
  TMessageForm(const std::string& message, TMsgDlgType type, unsigned buttons) : TForm(nullptr) {
    const DialogLook look = LookFor(type);
    struct ButtonChoice {
      unsigned flag;
      const char* text;
      int result;
    };
    std::vector<ButtonChoice> choices;
    for (const ButtonChoice& b : {ButtonChoice{mbYes, "&Ja", mrYes}, ButtonChoice{mbNo, "&Nein", mrNo},
                                ButtonChoice{mbOK, "OK", mrOk}})
      if (buttons & b.flag) choices.push_back(b);
    if (choices.empty()) choices.push_back({mbOK, "OK", mrOk});

    // Measure the text as the dialog font draws it, wrapped at a third of
    // the screen.
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, FontHandle());
    RECT text = {0, 0, ::GetSystemMetrics(SM_CXSCREEN) / 3, 0};
    ::DrawTextA(dc, message.c_str(), -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);

    const int margin = 8, iconSize = 32, gap = 10, buttonW = 75, buttonH = 25, buttonGap = 8;
    const int textLeft = margin + iconSize + gap;
    const int textHeight = std::max<int>(text.bottom, iconSize);
    const int buttonsWidth = static_cast<int>(choices.size()) * buttonW + (static_cast<int>(choices.size()) - 1) * buttonGap;
    const int width = std::max<int>(textLeft + text.right + margin, buttonsWidth + 2 * margin);
    const int height = margin + textHeight + 2 * margin + buttonH + margin;

    CreateFormWindow(kMessageFormClass, width, height, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                     WS_EX_DLGMODALFRAME, ::GetActiveWindow());
    SetCaption(look.title);

    FIcon = std::make_unique<TImage>(*this, margin, margin, iconSize, iconSize);
    ::SetWindowLongA(FIcon->Handle(), GWL_STYLE, WS_CHILD | WS_VISIBLE | SS_ICON);
    ::SendMessageA(FIcon->Handle(), STM_SETICON,
                   reinterpret_cast<WPARAM>(::LoadIconA(nullptr, look.icon)), 0);

    FText = std::make_unique<TLabel>(*this, textLeft, margin + (textHeight - text.bottom) / 2, "");
    FText->SetDlgID(kMessageTextID);
    ::SetWindowLongA(FText->Handle(), GWL_STYLE, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX);
    ::SetWindowTextA(FText->Handle(), message.c_str());
    FText->SetBounds(textLeft, margin + (textHeight - text.bottom) / 2, text.right, text.bottom);

    int x = (width - buttonsWidth) / 2;
    for (size_t i = 0; i < choices.size(); ++i) {
      auto button = std::make_unique<TButton>(*this, x, height - margin - buttonH, buttonW, buttonH,
                                              choices[i].text, i == 0);
      // Give the buttons the system's ids, so that tests and screen readers
      // know Yes from No.
      button->SetDlgID(choices[i].result == mrOk ? IDOK : choices[i].result == mrYes ? IDYES : IDNO);
      button->ModalResult = choices[i].result;
      x += buttonW + buttonGap;
      FButtons.push_back(std::move(button));
    }
    CenterOnScreen();
  }

protected:
  void FormShow() override { ::SetFocus(FButtons.front()->Handle()); }

private:
  std::unique_ptr<TImage> FIcon;
  std::unique_ptr<TLabel> FText;
  std::vector<std::unique_ptr<TButton>> FButtons;
};

}  // namespace

int MessageDlg(const std::string& message, TMsgDlgType type, unsigned buttons) {
  TMessageForm form(message, type, buttons);
  return form.ShowModal();
}

}  // namespace rtl
