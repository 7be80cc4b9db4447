#pragma once
// The check of the installer's own container, started before the window is
// made. Hashing the payload is most of the start-up; on a second processor
// it runs while the system and the program build the window, which waits
// for the outcome before it shows anything of the container.

#include <atomic>
#include <string>

#include "rtl/core/Thread.h"
#include "setup/core/ExtraResManager.h"
#include "setup/core/OwnContainer.h"

class TEarlyCheck {
public:
  // Starts loading the container of ProgramFile into Manager(), on a thread
  // of its own where a second processor is there; returns once that thread
  // and the one it starts to read ahead are running (see the constructor).
  explicit TEarlyCheck(std::string programFile);
  // Waits for the thread: it works on this object.
  ~TEarlyCheck() = default;
  TEarlyCheck(const TEarlyCheck&) = delete;
  TEarlyCheck& operator=(const TEarlyCheck&) = delete;

  // What the load found, once it has ended (done here when no thread runs
  // it). Manager() is not to be touched before.
  const OwnContainer& Wait();
  TExtraResManager& Manager() { return FManager; }

private:
  static void Run(void* self);

  const std::string FProgramFile;
  TExtraResManager FManager{nullptr};
  OwnContainer FResult;
  bool FDone = false;
  // Set by the thread when the load has ended.
  std::atomic<bool> FEnded{false};
  // Last: destroyed first, so that the thread has ended before the members
  // it works on go.
  rtl::WorkerThread FThread;
};
