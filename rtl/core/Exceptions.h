#pragma once
// Exceptions carry the message text that the standard error display shows.
// EAbort is the silent cancellation: the display swallows it without a word.
//
// A program built without exceptions (the setup runtime, which ships inside
// every installer and is smaller without the unwinder) uses the same code.
// There, Raise has nothing to unwind to: the error's text goes to the
// program's fatal-error handler, and the process ends. Such a program asks
// for a result wherever it can recover from an error, and leaves Raise to
// what it cannot (a window that cannot be made, no memory left).

#include <exception>
#include <string>

namespace rtl {

class Exception : public std::exception {
public:
  explicit Exception(std::string message) : FMessage(std::move(message)) {}
  const std::string& Message() const noexcept { return FMessage; }
  const char* what() const noexcept override { return FMessage.c_str(); }

private:
  std::string FMessage;
};

class EAbort : public Exception {
public:
  EAbort() : Exception("Operation aborted") {}
};

// Ends the current event handler without a message.
[[noreturn]] void Abort();

// The fatal-error handler of a program built without exceptions: it reports
// Text and ends the process. Without one, or when it returns, or when the
// report itself fails fatally, the process is aborted.
using FatalHandler = void (*)(const std::string& Text);
void SetFatalHandler(FatalHandler Handler);
[[noreturn]] void Fatal(const std::string& Text);

template <class E>
[[noreturn]] void Raise(const E& Error) {
#if defined(__cpp_exceptions)
  throw Error;
#else
  Fatal(Error.what());
#endif
}

class EConvertError : public Exception {
  using Exception::Exception;
};

// A value outside its range, as the runtime library reports it.
class ERangeError : public Exception {
public:
  ERangeError() : Exception("Fehler bei Bereichsprüfung") {}
};

class EStreamError : public Exception {
  using Exception::Exception;
};
class EReadError : public EStreamError {
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
  using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
  using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
  using EStreamError::EStreamError;
};

// A failed file operation with the system's error number.
class EInOutError : public Exception {
public:
  EInOutError(std::string message, int errorCode)
      : Exception(std::move(message)), ErrorCode(errorCode) {}
  int ErrorCode;
};

}  // namespace rtl
