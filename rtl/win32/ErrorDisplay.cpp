#include "rtl/win32/ErrorDisplay.h"

#include <windows.h>

#include <exception>

#include "rtl/core/Exceptions.h"

namespace rtl {

#if defined(__cpp_exceptions)
bool TErrorDisplay::CurrentExceptionText(std::string& text) noexcept {
  try {
    try {
      throw;
    } catch (const EAbort&) {
      // The silent cancellation ends the handler and shows nothing.
      return false;
    } catch (const std::exception& e) {
      text = e.what();
    } catch (...) {
      text = "Unknown exception";
    }
  } catch (...) {
    // No room for the text; this one fits a string's own buffer.
    text = "Out of memory";
  }
  return true;
}

void TErrorDisplay::HandleException() noexcept {
  std::string text;
  if (CurrentExceptionText(text)) ShowException(text);
}
#endif

void TErrorDisplay::ShowException(const std::string& message) noexcept {
#if defined(__cpp_exceptions)
  try {
#endif
    if (OnException) {
      OnException(message);
      return;
    }
    std::string text = message;
    if (!text.empty() && text.back() != '.') text += '.';
    ::MessageBoxA(::GetActiveWindow(), text.c_str(), FTitle.c_str(),
                  MB_OK | MB_ICONSTOP | MB_TASKMODAL);
#if defined(__cpp_exceptions)
  } catch (...) {
    // Nothing sensible is left to report to.
  }
#endif
}

}  // namespace rtl
