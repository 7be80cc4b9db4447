// Fuzzes the line buffer: first byte options and read size, the rest the
// received bytes in packets. Without editing, the lines and what is left
// held must give back exactly the bytes that came in.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/core/LineBuffer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  if (size < 2) return 0;
  TLineBuffer buffer;
  buffer.LineEdit = data[0] & 1;
  buffer.LineEcho = data[0] & 2;
  if (data[0] & 4) buffer.LineEnd = "\n";
  const size_t packet = 1 + data[1] % 32;
  const int piece = 1 + (data[1] >> 5) * 7;

  const std::string input(reinterpret_cast<const char*>(data) + 2, size - 2);
  std::string delivered;
  std::vector<char> out(static_cast<size_t>(piece));
  for (size_t at = 0; at < input.size(); at += packet) {
    const std::string part = input.substr(at, packet);
    buffer.Add(part.data(), static_cast<int>(part.size()));
    for (int length; (length = buffer.FindLine()) > 0;) {
      if (length > buffer.Held()) std::abort();
      const int before = length;
      while (length > 0) {
        const int n = buffer.ReadLine(out.data(), piece, length);
        if (n <= 0) std::abort();
        delivered.append(out.data(), static_cast<size_t>(n));
      }
      if (delivered.size() < buffer.LineEnd.size() ||
          delivered.compare(delivered.size() - buffer.LineEnd.size(), std::string::npos, buffer.LineEnd) != 0 ||
          before <= 0)
        std::abort();
    }
  }
  if (!buffer.LineEdit && delivered + buffer.Data() != input) std::abort();
  return 0;
}
