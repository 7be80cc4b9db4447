#include "common/core/Country.h"

#include "rtl/core/SysUtils.h"

bool IsGermanCountry(int CountryCode) {
  switch (CountryCode) {
    case 41:
    case 43:
    case 49:
    case 352: return true;
    default: return false;
  }
}

bool ParseCountryCode(const std::string& Text, int& CountryCode) {
  if (Text.empty() || Text.size() > 9) return false;
  for (char c : Text)
    if (c < '0' || c > '9') return false;
  std::int64_t value = 0;
  if (!rtl::TryStrToInt64(Text, value)) return false;
  CountryCode = static_cast<int>(value);
  return true;
}

std::string TextForCountry(int CountryCode, const std::string& English, const std::string& German) {
  return IsGermanCountry(CountryCode) ? German : English;
}
