#include "rtl/win32/SubclassedEdit.h"

#include "rtl/core/Exceptions.h"
#include "rtl/core/SysUtils.h"
#include "rtl/win32/ErrorDisplay.h"
#include "rtl/win32/Window.h"

namespace rtl {

namespace {

const char kClassName[] = "OrvSubclassedEdit";
const char kObjectProp[] = "OrvEditObject";

// The system's edit procedure, found once when our class is registered.
WNDPROC& SystemEditProc() {
  static WNDPROC proc = nullptr;
  return proc;
}

void RegisterEditClass(WNDPROC thunk) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (::GetClassInfoExA(ModuleInstance(), kClassName, &wc)) return;
  if (!::GetClassInfoExA(nullptr, "EDIT", &wc))
    throw Exception(Format("The system's edit class cannot be read (%lu)",
                           static_cast<unsigned long>(::GetLastError())));
  SystemEditProc() = wc.lpfnWndProc;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = thunk;
  wc.hInstance = ModuleInstance();
  wc.lpszClassName = kClassName;
  // A class of the program's own is not a global class.
  wc.style &= ~CS_GLOBALCLASS;
  if (!::RegisterClassExA(&wc))
    throw Exception(Format("Window class \"%s\" cannot be registered (%lu)", kClassName,
                           static_cast<unsigned long>(::GetLastError())));
}

}  // namespace

TSubclassedEdit::TSubclassedEdit(TControlParent& form, int left, int top, int width, int height, DWORD style,
                                 DWORD exStyle)
    : TEdit(form) {
  RegisterEditClass(&TSubclassedEdit::Thunk);
  CreateControlHandle(kClassName, style, exStyle, left, top, width, height, "", this);
}

TSubclassedEdit::~TSubclassedEdit() {
  if (FHandle && ::IsWindow(FHandle)) {
    // Focus and destroy messages of the dying window must not reach a
    // derived part that is gone already.
    ::RemovePropA(FHandle, kObjectProp);
    ::DestroyWindow(FHandle);
  }
  FHandle = nullptr;
}

void TSubclassedEdit::SetMaxLength(int length) {
  FMaxLength = length < 0 ? 0 : length;
  ::SendMessageA(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
}

TSubclassedEdit* TSubclassedEdit::FromHandle(HWND handle) {
  return static_cast<TSubclassedEdit*>(::GetPropA(handle, kObjectProp));
}

LRESULT TSubclassedEdit::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::CallWindowProcA(SystemEditProc(), FHandle, message, wParam, lParam);
}

LRESULT TSubclassedEdit::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultHandler(message, wParam, lParam);
}

LRESULT CALLBACK TSubclassedEdit::Thunk(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    if (auto* self = static_cast<TSubclassedEdit*>(create->lpCreateParams)) {
      self->FHandle = handle;
      ::SetPropA(handle, kObjectProp, self);
    }
  }
  TSubclassedEdit* self = FromHandle(handle);
  if (!self) return ::CallWindowProcA(SystemEditProc(), handle, message, wParam, lParam);

  LRESULT result = 0;
  try {
    result = self->WndProc(message, wParam, lParam);
  } catch (...) {
    ErrorDisplay().HandleException();
  }
  if (message == WM_NCDESTROY) {
    ::RemovePropA(handle, kObjectProp);
    if (self->FHandle == handle) self->FHandle = nullptr;
  }
  return result;
}

}  // namespace rtl
