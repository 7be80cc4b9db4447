#pragma once
// printf-style formatting into std::string, and text to integer with the
// runtime library's rules.

#include <cstdint>
#include <string>

namespace rtl {

std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Leading blanks, then an optional sign, then decimal digits or a
// hexadecimal number written "$1F", "x1F" or "0x1F" (either case). Nothing
// may follow. A decimal value must fit the result type; a hexadecimal one
// may use the full unsigned width and then reads as two's complement
// ("$FFFFFFFF" is -1 for StrToInt). Anything else raises EConvertError with
// "'text' is not a valid integer value".
std::int64_t StrToInt64(const std::string& text);
int StrToInt(const std::string& text);

// Same rules; false instead of an exception.
bool TryStrToInt64(const std::string& text, std::int64_t& value);
bool TryStrToInt(const std::string& text, int& value);

}  // namespace rtl
