#include "setup/core/StringFormat.h"

#include "rtl/core/SysUtils.h"

std::string TStringFormat_HEX::ToText(const unsigned char* Data, std::size_t Length) const {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text(2 * Length, '\0');
  for (std::size_t i = 0; i < Length; ++i) {
    text[2 * i] = kDigits[Data[i] >> 4];
    text[2 * i + 1] = kDigits[Data[i] & 15];
  }
  return text;
}

const TStringFormat* StringFormat(int Format) {
  static const TStringFormat_HEX hex;
  return Format == hex.Format() ? &hex : nullptr;
}

std::string BytesToText(const void* Data, std::size_t Length, int Format) {
  if (Data == nullptr || Length == 0) return std::string();
  const TStringFormat* format = StringFormat(Format);
  if (!format) rtl::Raise(EStringFormat(rtl::Format("String Format \"%d\" not exists.", Format)));
  return format->ToText(static_cast<const unsigned char*>(Data), Length);
}
