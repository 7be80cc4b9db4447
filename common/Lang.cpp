#include "common/Lang.h"

#include <windows.h>

#include "common/core/Country.h"
#include "rtl/core/Exceptions.h"

int GetCountryCode() {
  // Room for three digits and the terminating zero; a longer code does not
  // fit and counts as unreadable.
  char buffer[4] = {};
  if (::GetLocaleInfoA(::GetUserDefaultLCID(), LOCALE_ICOUNTRY, buffer, sizeof buffer) == 0)
    rtl::Abort();
  int code = 0;
  if (!ParseCountryCode(buffer, code)) rtl::Abort();
  return code;
}

std::string ChooseText(const std::string& English, const std::string& German) {
  return TextForCountry(GetCountryCode(), English, German);
}
