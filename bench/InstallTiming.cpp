// Times the two halves of an install outside the window: the container
// check and load, and the copying of every entry into a folder.

#include <chrono>
#include <cstdio>
#include <string>

#include "rtl/core/FileLayer.h"
#include "setup/core/ExtraResManager.h"
#include "setup/core/InstallCopy.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: installtiming INSTALLER FOLDER/\n");
    return 2;
  }
  try {
    using Clock = std::chrono::steady_clock;
    auto seconds = [](Clock::time_point a, Clock::time_point b) {
      return std::chrono::duration<double>(b - a).count();
    };
    const auto t0 = Clock::now();
    TExtraResManager manager(nullptr);
    manager.LoadFromFile(argv[1], true);
    const auto t1 = Clock::now();
    for (int i = 1; i < manager.Resources().Count(); ++i) {
      const CopyOutcome copied =
          InstallResourceFile(manager.Resources().Items(i).Stream(), argv[2], manager.Resources().Items(i).Name());
      if (!copied.Ok()) {
        std::fprintf(stderr, "installtiming: %s\n", copied.Text.c_str());
        return 1;
      }
    }
    const auto t2 = Clock::now();
    std::printf("check and load %.3f s, copy %.3f s\n", seconds(t0, t1), seconds(t1, t2));
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "installtiming: %s\n", e.what());
    return 1;
  }
}
