#pragma once
// printf-style formatting into std::string, and strict decimal conversion.

#include <cstdint>
#include <string>

namespace rtl {

std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Decimal text with an optional sign, nothing else. Raises EConvertError
// with "'text' is not a valid integer value" otherwise.
std::int64_t StrToInt64(const std::string& text);
int StrToInt(const std::string& text);

// Same rules; false instead of an exception.
bool TryStrToInt64(const std::string& text, std::int64_t& value);

}  // namespace rtl
