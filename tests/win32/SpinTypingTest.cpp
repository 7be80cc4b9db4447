// Characters typed into a spin edit: digits, signs and the separator go in,
// letters and Enter are dropped with a beep; with the editor disabled only
// control characters other than backspace remain.

#include <gtest/gtest.h>

#include <string>

#include "tests/win32/SpinTestForm.h"

namespace {

struct TypingCase {
  const char* start;
  const char* keys;
  bool editorEnabled;
  const char* text;
  int beeps;
};

TEST(SpinTyping, AllowedAndRefusedCharacters) {
  SpinTestForm form;
  HWND edit = form.Spin->Handle();
  const TypingCase cases[] = {
      {"", "123", true, "123", 0},
      {"", "-45", true, "-45", 0},
      {"", "+7", true, "+7", 0},
      {"", "1a2", true, "12", 1},
      {"", "x y", true, "", 3},
      {"", "12\r", true, "12", 1},  // Enter is no part of a number
      {"", "1\t2", true, "12", 0},  // Tab moves on; it never lands in the text
      {"", "1\n2", true, "12", 0},  // nor does a line break (Ctrl+Enter)
      {"12", "\b", true, "1", 0},
      {"12", "3", false, "12", 1},
      {"12", "\b", false, "12", 1},
      {"12", "a", false, "12", 1},
  };
  for (const auto& c : cases) {
    form.Prepare(0, 0, c.start);
    form.Spin->EditorEnabled = c.editorEnabled;
    form.Spin->SetFocus();
    // The caret at the end, nothing selected.
    ::SendMessageA(edit, EM_SETSEL, 0x7fff, 0x7fff);
    for (const char* k = c.keys; *k; ++k) TypeChar(edit, *k);
    EXPECT_EQ(c.text, form.Spin->Text()) << "keys \"" << c.keys << "\" on \"" << c.start << "\"";
    EXPECT_EQ(c.beeps, form.Spin->Beeps) << "keys \"" << c.keys << "\" on \"" << c.start << "\"";
  }
}

TEST(SpinTyping, DeleteKeyIsTypingToo) {
  SpinTestForm form;
  HWND edit = form.Spin->Handle();
  for (const bool editorEnabled : {true, false}) {
    form.Prepare(0, 0, "12");
    form.Spin->EditorEnabled = editorEnabled;
    form.Spin->SetFocus();
    ::SendMessageA(edit, EM_SETSEL, 0, 0);
    PressKey(edit, VK_DELETE);
    EXPECT_EQ(editorEnabled ? "2" : "12", form.Spin->Text()) << "editor enabled " << editorEnabled;
  }
}

TEST(SpinTyping, MaxLengthLimitsTyping) {
  SpinTestForm form;
  HWND edit = form.Spin->Handle();
  form.Prepare(1, 6000, "");
  form.Spin->SetMaxLength(4);
  form.Spin->SetFocus();
  for (const char k : std::string("123456")) TypeChar(edit, k);
  EXPECT_EQ("1234", form.Spin->Text());
  EXPECT_EQ(4, form.Spin->MaxLength());
}

}  // namespace
