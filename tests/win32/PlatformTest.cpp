// Shows that the platform under the tests is real: windows, the registry and
// the locale come from the system (Wine in CI), not from stand-ins.

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/Lang.h"
#include "rtl/core/Exceptions.h"
#include "rtl/win32/Application.h"
#include "rtl/win32/Registry.h"
#include "rtl/win32/Window.h"

namespace {

class ProbeWindow : public rtl::TWindow {
public:
  void Create() {
    CreateHandle("OrvProbeWindow", "Probe", WS_OVERLAPPEDWINDOW, 0, 10, 10, 200, 100, nullptr);
  }
  std::vector<UINT> seen;
  bool throwAbort = false;
  bool throwError = false;

protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    seen.push_back(message);
    if (message == WM_APP) {
      if (throwAbort) rtl::Abort();
      if (throwError) throw std::runtime_error("boom in handler");
      return 42;
    }
    return DefaultHandler(message, wParam, lParam);
  }
};

struct CapturedErrors {
  CapturedErrors() {
    rtl::Application().OnException = [this](const std::string& text) { texts.push_back(text); };
  }
  ~CapturedErrors() { rtl::Application().OnException = nullptr; }
  std::vector<std::string> texts;
};

const char kTestKey[] = "Software\\OrvandelTests\\Platform";

}  // namespace

TEST(Platform, WindowThunkDispatchesToTheObject) {
  ProbeWindow window;
  window.Create();
  ASSERT_TRUE(window.HandleAllocated());
  EXPECT_EQ(&window, rtl::TWindow::FromHandle(window.Handle()));
  EXPECT_EQ(WM_NCCREATE, window.seen.front()) << "the object sees its very first message";
  EXPECT_EQ(42, ::SendMessageA(window.Handle(), WM_APP, 0, 0));
  char caption[32] = {};
  ::GetWindowTextA(window.Handle(), caption, sizeof caption);
  EXPECT_STREQ("Probe", caption);

  HWND handle = window.Handle();
  window.DestroyHandle();
  EXPECT_FALSE(::IsWindow(handle));
  EXPECT_EQ(nullptr, rtl::TWindow::FromHandle(handle));
  EXPECT_EQ(static_cast<UINT>(WM_NCDESTROY), window.seen.back());
}

TEST(Platform, ForeignWindowsAreNotMistakenForObjects) {
  HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                rtl::ModuleInstance(), nullptr);
  ASSERT_NE(nullptr, edit);
  ::SetWindowLongPtrA(edit, GWLP_USERDATA, 0x1234);
  EXPECT_EQ(nullptr, rtl::TWindow::FromHandle(edit));
  ::DestroyWindow(edit);
}

TEST(Platform, HandlerExceptionsReachTheErrorDisplayNotUser32) {
  CapturedErrors errors;
  ProbeWindow window;
  window.Create();

  window.throwAbort = true;
  EXPECT_EQ(0, ::SendMessageA(window.Handle(), WM_APP, 0, 0));
  EXPECT_TRUE(errors.texts.empty()) << "the silent abort shows nothing";

  window.throwAbort = false;
  window.throwError = true;
  EXPECT_EQ(0, ::SendMessageA(window.Handle(), WM_APP, 0, 0));
  ASSERT_EQ(1u, errors.texts.size());
  EXPECT_EQ("boom in handler", errors.texts[0]);

  // Posted messages go through the loop and the same display.
  ::PostMessageA(window.Handle(), WM_APP, 0, 0);
  rtl::Application().ProcessMessages();
  EXPECT_EQ(2u, errors.texts.size());
}

TEST(Platform, RegistryStringAndDwordRoundTrip) {
  {
    rtl::TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey(kTestKey, true));
    reg.WriteString("Text", "Gr\xFC\xDF" "e aus Wine");
    reg.WriteInteger("Number", 0x7FFFFFFF);
    reg.WriteInteger("Negative", -2);
    reg.WriteBool("Flag", true);
  }
  // Read back through the raw API to see the stored types.
  HKEY raw = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &raw));
  DWORD type = 0;
  char text[64] = {};
  DWORD size = sizeof text;
  ASSERT_EQ(ERROR_SUCCESS,
            ::RegQueryValueExA(raw, "Text", nullptr, &type, reinterpret_cast<BYTE*>(text), &size));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_STREQ("Gr\xFC\xDF" "e aus Wine", text);
  DWORD number = 0;
  size = sizeof number;
  ASSERT_EQ(ERROR_SUCCESS, ::RegQueryValueExA(raw, "Flag", nullptr, &type,
                                              reinterpret_cast<BYTE*>(&number), &size));
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
  EXPECT_EQ(1u, number);
  ::RegCloseKey(raw);

  rtl::TRegistry reg(KEY_READ);
  ASSERT_TRUE(reg.OpenKeyReadOnly(kTestKey));
  EXPECT_EQ("Gr\xFC\xDF" "e aus Wine", reg.ReadString("Text"));
  EXPECT_EQ(0x7FFFFFFF, reg.ReadInteger("Number"));
  EXPECT_EQ(-2, reg.ReadInteger("Negative"));
  EXPECT_TRUE(reg.ReadBool("Flag"));
  EXPECT_EQ("", reg.ReadString("Missing"));
  EXPECT_FALSE(reg.ValueExists("Missing"));
  EXPECT_THROW(reg.ReadInteger("Missing"), rtl::ERegistryException);
  EXPECT_THROW(reg.ReadInteger("Text"), rtl::ERegistryException);
  EXPECT_THROW(reg.ReadString("Number"), rtl::ERegistryException);
  reg.CloseKey();

  rtl::TRegistry cleanup;
  cleanup.DeleteKey(kTestKey);
  EXPECT_FALSE(cleanup.KeyExists(kTestKey));
}

TEST(Platform, LocaleCountryCodeIsANumber) {
  char buffer[8] = {};
  ASSERT_GT(::GetLocaleInfoA(::GetUserDefaultLCID(), LOCALE_ICOUNTRY, buffer, sizeof buffer), 0);
  EXPECT_EQ(std::to_string(GetCountryCode()), buffer);
}

// Run by ctest once with the default locale and once with a German one; the
// expected language comes in ORV_EXPECT_LANGUAGE.
TEST(LanguageUnderWine, FollowsTheUsersCountry) {
  char expected[16] = {};
  if (!::GetEnvironmentVariableA("ORV_EXPECT_LANGUAGE", expected, sizeof expected))
    GTEST_SKIP() << "ORV_EXPECT_LANGUAGE not set";
  const std::string language = expected;
  const int code = GetCountryCode();
  if (language == "German") {
    EXPECT_EQ(49, code);
    EXPECT_EQ("Ja", ChooseText("Yes", "Ja"));
  } else {
    EXPECT_EQ(1, code);
    EXPECT_EQ("Yes", ChooseText("Yes", "Ja"));
  }
  EXPECT_EQ("OK", ChooseText("OK", "OK"));
}
