// The runtime ships inside every installer, so it keeps out the pieces of
// the C and C++ libraries that it does not need. Linked as an object of the
// program itself, so that the linker finds these names here before it
// searches the libraries (as QuietTerminate.cpp does).
//
// - The runtime is built without exceptions, and so without the unwinder
//   and the exception support of the C++ library (some 40 KB). Those come
//   back with any object of the library that throws or has cleanups: the
//   allocation functions (std::bad_alloc), the string's members compiled
//   into the library, the error functions that live in one object with
//   every error class of <stdexcept> (and those bring a second,
//   reference-counted string and the random device). Here they are the
//   program's own: an error the library would raise is fatal (see
//   rtl::Fatal), as it is for an exception nothing catches. The string's
//   members are compiled with the program (cmake/LocalStringCode.h), and
//   so without exceptions.
// - mingw's own printf (standards-exact, with floating point: some 25 KB)
//   stands behind vsnprintf in C++ programs. The runtime formats integers
//   and texts only (%s, %d, %u, %lu, %04u), which the system's msvcrt does
//   alike; a conversion it lacks (%zu, %lld, %a) must not be used here.

#include <stdio.h>

#include <cstdarg>
#include <cstdlib>
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

[[noreturn]] static void OutOfMemory() { rtl::Fatal("Out of memory"); }

void* operator new(size_t size) {
  void* block = std::malloc(size ? size : 1);
  if (!block) OutOfMemory();
  return block;
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
void operator delete[](void* block, size_t) noexcept { std::free(block); }

namespace std {
void __throw_bad_alloc() { OutOfMemory(); }
void __throw_bad_array_new_length() { OutOfMemory(); }
void __throw_length_error(const char* what) { rtl::Fatal(what); }
void __throw_logic_error(const char* what) { rtl::Fatal(what); }
void __throw_invalid_argument(const char* what) { rtl::Fatal(what); }
void __throw_out_of_range(const char* what) { rtl::Fatal(what); }
// The text is a format with the numbers left out.
void __throw_out_of_range_fmt(const char* what, ...) { rtl::Fatal(what); }
void __throw_bad_function_call() { rtl::Fatal("bad_function_call"); }
}  // namespace std
