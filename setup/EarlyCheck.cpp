#include "setup/EarlyCheck.h"

namespace {

// Bounds the wait for the check's threads to run: the pauses and yields,
// then about 100 sleeps of a millisecond.
constexpr unsigned kStartRounds = rtl::kYieldRounds + 100;

}  // namespace

TEarlyCheck::TEarlyCheck(std::string programFile) : FProgramFile(std::move(programFile)) {
  // On one processor a thread gains nothing; the window's start-up then
  // loads the container where it needs it.
  if (rtl::ProcessorCount() <= 1) return;
  const unsigned entered = rtl::WorkerThread::Entered();
  if (!FThread.Start(&Run, this)) return;
  // The caller loads the DLLs of the window next, and a thread cannot start
  // while a DLL loads: the check's two threads (this one's and the one that
  // reads ahead of the hashing) would wait for all of them. So the caller
  // waits for both to run, or for the check to end without the second (a
  // small container, or none); a few milliseconds.
  for (unsigned round = 0; round < kStartRounds; ++round) {
    if (rtl::WorkerThread::Entered() - entered >= 2 || FEnded.load(std::memory_order_acquire)) return;
    rtl::PauseWhileWaiting(round);
  }
}

void TEarlyCheck::Run(void* self) {
  auto* check = static_cast<TEarlyCheck*>(self);
  check->FResult = LoadOwnContainer(check->FManager, check->FProgramFile);
  check->FEnded.store(true, std::memory_order_release);
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
