#pragma once
// A file name in the system's temporary folder, deleted when the test ends.

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "rtl/core/FileLayer.h"

class TempFile {
public:
  explicit TempFile(const std::string& tag) {
    static std::atomic<int> counter{0};
    const char* dir = std::getenv("TEMP");
    if (!dir) dir = std::getenv("TMPDIR");
#if defined(_WIN32)
    const std::string base = dir ? dir : ".";
    const char sep = '\\';
#else
    const std::string base = dir ? dir : "/tmp";
    const char sep = '/';
#endif
    // ctest runs each test in a process of its own, several at once, and
    // where addresses are not randomised two processes hold the same
    // address and count: a salt drawn once per process keeps them apart.
    static const unsigned salt = std::random_device{}();
    FName = base + sep + "orvtest_" + tag + "_" + std::to_string(salt) + "_" + std::to_string(counter++);
  }
  ~TempFile() { rtl::FileDelete(FName); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& Name() const { return FName; }

private:
  std::string FName;
};
