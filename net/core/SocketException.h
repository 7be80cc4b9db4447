#pragma once
// Misuse and failed calls of the socket components, with their message.

#include "rtl/core/Exceptions.h"

class ESocketException : public rtl::Exception {
  using rtl::Exception::Exception;
};
