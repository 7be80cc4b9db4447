#include "setup/core/Hash.h"

void SecureZero(void* Data, std::size_t Length) noexcept {
  volatile std::uint8_t* p = static_cast<volatile std::uint8_t*>(Data);
  while (Length--) *p++ = 0;
}
