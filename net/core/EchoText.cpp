#include "net/core/EchoText.h"

#include <cstring>

static_assert(sizeof("Orvandel echo request: are you there? 0123456") - 1 == 45, "the echo text has 45 characters");

std::string EchoRequestData(int Size) {
  if (Size <= 0) return std::string();
  std::string data(static_cast<size_t>(Size), ' ');
  const size_t text = std::strlen(kEchoText);
  data.replace(0, text < data.size() ? text : data.size(), kEchoText, text < data.size() ? text : data.size());
  return data;
}
