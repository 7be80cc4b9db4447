#include "net/core/LineBuffer.h"

#include <algorithm>
#include <cstring>

std::vector<std::string> TLineBuffer::Add(const char* data, int length) {
  std::vector<std::string> echo;
  if (length <= 0) return echo;
  const size_t before = FData.size();
  size_t earliest = before;
  if (!LineEdit) {
    FData.append(data, static_cast<size_t>(length));
    if (LineEcho) echo.emplace_back(data, static_cast<size_t>(length));
  } else {
    for (int i = 0; i < length; ++i) {
      const char c = data[i];
      if (c == 8) {
        if (!FData.empty()) {
          FData.pop_back();
          earliest = std::min(earliest, FData.size());
          if (LineEcho) echo.emplace_back(std::string{8, 32, 8});
        }
      } else if (c == 9) {
        earliest = std::min(earliest, FData.size());
        do {
          FData.push_back(' ');
          if (LineEcho) echo.emplace_back(" ");
        } while (FData.size() % 8 != 0);
      } else {
        FData.push_back(c);
        if (LineEcho) echo.emplace_back(1, c);
      }
    }
  }
  // Start early enough to find a line end that began in an earlier read or
  // before an edited position.
  const size_t from = std::min(earliest, before);
  FSearchStart = from > LineEnd.size() ? from - LineEnd.size() : 0;
  return echo;
}

int TLineBuffer::FindLine() {
  if (LineEnd.empty() || FData.size() < LineEnd.size()) return 0;
  const size_t at = FData.find(LineEnd, FSearchStart);
  if (at == std::string::npos) {
    FSearchStart = FData.size() >= LineEnd.size() ? FData.size() - LineEnd.size() + 1 : 0;
    return 0;
  }
  return static_cast<int>(at + LineEnd.size());
}

int TLineBuffer::ReadLine(char* buffer, int size, int& remaining) {
  const int n = std::min(size, remaining);
  if (n <= 0) return 0;
  std::memcpy(buffer, FData.data(), static_cast<size_t>(n));
  FData.erase(0, static_cast<size_t>(n));
  remaining -= n;
  FSearchStart = 0;
  return n;
}

void TLineBuffer::RemoveFront(int count) {
  FData.erase(0, static_cast<size_t>(std::max(0, std::min(count, Held()))));
  FSearchStart = 0;
}

int TLineBuffer::ReadFront(char* buffer, int size) {
  const int n = std::min(size, Held());
  if (n <= 0) return 0;
  std::memcpy(buffer, FData.data(), static_cast<size_t>(n));
  FData.erase(0, static_cast<size_t>(n));
  FSearchStart = 0;
  return n;
}

void TLineBuffer::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FSearchStart = 0;
}
