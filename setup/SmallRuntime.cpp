// The runtime ships inside every installer, so it keeps out two pieces of
// the C and C++ libraries that it does not need. Linked as an object of the
// program itself, so that the linker finds these names here before it
// searches the libraries (as QuietTerminate.cpp does).
//
// - The C++ library raises its errors (a string past its largest size, an
//   allocation too large) through functions that live in one object with
//   every error class of <stdexcept>, and those classes bring a second,
//   reference-counted string implementation and the random device: some
//   80 KB. Here they raise what the program already has: std::bad_alloc,
//   or rtl::Exception with the library's text.
// - mingw's own printf (standards-exact, with floating point: some 25 KB)
//   stands behind vsnprintf in C++ programs. The runtime formats integers
//   and texts only (%s, %d, %u, %lu, %04u), which the system's msvcrt does
//   alike; a conversion it lacks (%zu, %lld, %a) must not be used here.

#include <stdio.h>

#include <cstdarg>
#include <new>

#include "rtl/core/Exceptions.h"

// msvcrt's _vscprintf gives the count a text needs; its _vsnprintf neither
// terminates a cut text nor reports the full length.
extern "C" int __cdecl __mingw_vsnprintf(char* buffer, size_t size, const char* format, va_list args) {
  va_list counting;
  va_copy(counting, args);
  const int needed = _vscprintf(format, counting);
  va_end(counting);
  if (buffer && size > 0) {
    _vsnprintf(buffer, size, format, args);
    buffer[needed >= 0 && static_cast<size_t>(needed) < size ? needed : size - 1] = '\0';
  }
  return needed;
}

namespace std {
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_alloc(); }
void __throw_length_error(const char* what) { throw rtl::Exception(what); }
void __throw_logic_error(const char* what) { throw rtl::Exception(what); }
void __throw_invalid_argument(const char* what) { throw rtl::Exception(what); }
void __throw_out_of_range(const char* what) { throw rtl::Exception(what); }
// The text is a format with the numbers left out.
void __throw_out_of_range_fmt(const char* what, ...) { throw rtl::Exception(what); }
}  // namespace std
