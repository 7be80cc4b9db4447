#pragma once
// The UI library's message dialogs. The system's MessageBox cannot relabel
// its buttons, and these carry German titles and captions in every language.

#include <string>

namespace rtl {

enum class TMsgDlgType { Warning, Error, Information, Confirmation };

enum TMsgDlgButton : unsigned { mbYes = 1, mbNo = 2, mbOK = 4 };

// Shows Message modally; returns mrYes, mrNo, mrOk, or mrCancel when closed.
int MessageDlg(const std::string& message, TMsgDlgType type, unsigned buttons);

// Window class and control ids, so that other programs (tests) find them.
constexpr const char* kMessageFormClass = "TMessageForm";
constexpr int kMessageTextID = 0xFFFF;

}  // namespace rtl
