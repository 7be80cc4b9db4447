#pragma once
// Numbered text formats for binary data. The system uses number 16,
// upper-case hexadecimal.

#include <cstddef>
#include <string>

#include "rtl/core/Exceptions.h"

// Upper-case hexadecimal: the one format the system uses.
constexpr int kFormatHex = 16;

class EStringFormat : public rtl::Exception {
  using rtl::Exception::Exception;
};

class TStringFormat {
public:
  virtual ~TStringFormat() = default;
  virtual int Format() const = 0;
  virtual std::string ToText(const unsigned char* Data, std::size_t Length) const = 0;
};

class TStringFormat_HEX : public TStringFormat {
public:
  int Format() const override { return kFormatHex; }
  std::string ToText(const unsigned char* Data, std::size_t Length) const override;
};

// The format with this number, or nullptr.
const TStringFormat* StringFormat(int Format);

// Data in text format Format; empty for no data. An unknown number raises
// EStringFormat "String Format "<n>" not exists.".
std::string BytesToText(const void* Data, std::size_t Length, int Format);
