#pragma once
// The standard error display. An exception that ends an event handler comes
// here. EAbort is swallowed silently; any other exception shows its text in
// a message box captioned with the program's title. The window thunks reach
// it from below the application object, which is the display of the running
// program.

#include <functional>
#include <string>

namespace rtl {

class TErrorDisplay {
public:
  TErrorDisplay(const TErrorDisplay&) = delete;
  TErrorDisplay& operator=(const TErrorDisplay&) = delete;

#if defined(__cpp_exceptions)
  // Call from a catch block. Never throws.
  void HandleException() noexcept;
  // Call from a catch block: the text that HandleException would show, or
  // false for the silent cancellation. Never throws.
  static bool CurrentExceptionText(std::string& text) noexcept;
#endif
  // Shows Message the way an exception is shown.
  void ShowException(const std::string& message) noexcept;

  // Replaces the message box, for tests and for programs without windows.
  // The handler gets the text of every exception that is not EAbort.
  std::function<void(const std::string&)> OnException;

protected:
  TErrorDisplay() = default;
  ~TErrorDisplay() = default;

  // The message box's caption.
  std::string FTitle;
};

// The display of the running program: its application object
// (Application.cpp).
TErrorDisplay& ErrorDisplay();

}  // namespace rtl
