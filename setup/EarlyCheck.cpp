#include "setup/EarlyCheck.h"

TEarlyCheck::TEarlyCheck(std::string programFile) : FProgramFile(std::move(programFile)) {
  // On one processor a thread gains nothing; the window's start-up then
  // loads the container where it needs it.
  if (rtl::ProcessorCount() > 1) FThread.Start(&Run, this);
}

void TEarlyCheck::Run(void* self) {
  auto* check = static_cast<TEarlyCheck*>(self);
  check->FResult = LoadOwnContainer(check->FManager, check->FProgramFile);
}

const OwnContainer& TEarlyCheck::Wait() {
  if (!FDone) {
    // Without a thread (one processor, or none could be started) the load
    // is done here.
    if (FThread.Running()) {
      FThread.Join();
    } else {
      FResult = LoadOwnContainer(FManager, FProgramFile);
    }
    FDone = true;
  }
  return FResult;
}
