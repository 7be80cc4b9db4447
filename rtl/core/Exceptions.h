#pragma once
// Exceptions carry the message text that the standard error display shows.
// EAbort is the silent cancellation: the display swallows it without a word.

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
