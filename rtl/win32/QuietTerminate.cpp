// Replaces the C++ library's verbose terminate handler. That handler names
// the type of an uncaught exception, and for that links the demangler, some
// 40 KB of a program that ships inside every installer. The programs catch
// every exception in their window procedures and message loop; should one
// still escape, the process ends as abort() ends it.
//
// Linked as an object of the program itself, so that the linker resolves the
// name here before it searches the C++ library.

#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
