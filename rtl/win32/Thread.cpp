#include "rtl/core/Thread.h"

#include <windows.h>

namespace rtl {

struct WorkerThreadEntry {
  // A 32-bit thread starts on a stack aligned to 4 bytes, while the
  // compiler keeps SSE values on the stack at 16 (the hashing code does):
  // the entry realigns it.
  __attribute__((force_align_arg_pointer)) static DWORD WINAPI Run(void* self) {
    auto* thread = static_cast<WorkerThread*>(self);
    WorkerThread::FEntered.fetch_add(1, std::memory_order_release);
    thread->FFunction(thread->FContext);
    return 0;
  }
};

bool WorkerThread::Start(Function function, void* context) {
  if (FRunning) return false;
  FFunction = function;
  FContext = context;
  // The thread calls no C runtime function that needs per-thread setup. The
  // program's own stack size: the system's file functions below a worker
  // need more than a small stack gives them.
  HANDLE h = ::CreateThread(nullptr, 0, &WorkerThreadEntry::Run, this, 0, nullptr);
  if (!h) return false;
  FHandle = reinterpret_cast<std::intptr_t>(h);
  FRunning = true;
  return true;
}

void WorkerThread::Join() noexcept {
  if (!FRunning) return;
  HANDLE h = reinterpret_cast<HANDLE>(FHandle);
  ::WaitForSingleObject(h, INFINITE);
  ::CloseHandle(h);
  FHandle = 0;
  FRunning = false;
}

int ProcessorCount() {
  DWORD_PTR process = 0, system = 0;
  if (!::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system)) return 1;
  int count = 0;
  for (; process; process &= process - 1) ++count;
  return count > 0 ? count : 1;
}

void PauseWhileWaiting(unsigned round) noexcept {
  // A long wait is the other thread held up by the disk or the network:
  // then the waiter sleeps instead of keeping a processor busy.
  if (round < kPauseRounds) {
    YieldProcessor();
  } else if (round < kYieldRounds) {
    ::SwitchToThread();
  } else {
    ::Sleep(1);
  }
}

}  // namespace rtl
