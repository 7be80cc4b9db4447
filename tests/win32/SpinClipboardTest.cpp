// Paste and cut reach the text only while it can be edited: not with the
// editor disabled, not when read-only.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/win32/SpinTestForm.h"

namespace {

bool PutOnClipboard(HWND owner, const char* text) {
  if (!::OpenClipboard(owner)) return false;
  ::EmptyClipboard();
  const size_t size = std::strlen(text) + 1;
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
  bool done = false;
  if (memory) {
    std::memcpy(::GlobalLock(memory), text, size);
    ::GlobalUnlock(memory);
    done = ::SetClipboardData(CF_TEXT, memory) != nullptr;
    if (!done) ::GlobalFree(memory);
  }
  ::CloseClipboard();
  return done;
}

std::string ClipboardText(HWND owner) {
  std::string text;
  if (!::OpenClipboard(owner)) return "(clipboard busy)";
  if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
    text = static_cast<const char*>(::GlobalLock(data));
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return text;
}

struct ClipCase {
  bool editorEnabled, readOnly, allowed;
};

const ClipCase kCases[] = {
    {true, false, true},
    {false, false, false},
    {true, true, false},
    {false, true, false},
};

TEST(SpinClipboard, PasteOnlyWhenEditable) {
  SpinTestForm form;
  HWND edit = form.Spin->Handle();
  for (const auto& c : kCases) {
    form.Prepare(0, 0, "12");
    form.Spin->EditorEnabled = c.editorEnabled;
    form.Spin->SetReadOnly(c.readOnly);
    ASSERT_TRUE(PutOnClipboard(form.Handle(), "345"));
    form.Spin->SetFocus();
    ::SendMessageA(edit, EM_SETSEL, 2, 2);
    ::SendMessageA(edit, WM_PASTE, 0, 0);
    // Ctrl+V as typed goes the same way.
    ::SendMessageA(edit, EM_SETSEL, 0, 0);
    TypeChar(edit, '\x16');
    EXPECT_EQ(c.allowed ? "34512345" : "12", form.Spin->Text())
        << "editor " << c.editorEnabled << ", read-only " << c.readOnly;
  }
  form.Spin->SetReadOnly(false);
  form.Spin->EditorEnabled = true;
}

TEST(SpinClipboard, CutOnlyWhenEditable) {
  SpinTestForm form;
  HWND edit = form.Spin->Handle();
  for (const auto& c : kCases) {
    form.Prepare(0, 0, "1234");
    form.Spin->EditorEnabled = c.editorEnabled;
    form.Spin->SetReadOnly(c.readOnly);
    ASSERT_TRUE(PutOnClipboard(form.Handle(), "before"));
    form.Spin->SetFocus();
    ::SendMessageA(edit, EM_SETSEL, 1, 3);
    ::SendMessageA(edit, WM_CUT, 0, 0);
    EXPECT_EQ(c.allowed ? "14" : "1234", form.Spin->Text())
        << "editor " << c.editorEnabled << ", read-only " << c.readOnly;
    EXPECT_EQ(c.allowed ? "23" : "before", ClipboardText(form.Handle()))
        << "editor " << c.editorEnabled << ", read-only " << c.readOnly;
  }
  form.Spin->SetReadOnly(false);
  form.Spin->EditorEnabled = true;
}

}  // namespace
