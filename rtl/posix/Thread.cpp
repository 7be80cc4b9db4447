#include "rtl/core/Thread.h"

#include <pthread.h>
#include <sched.h>
#include <unistd.h>

namespace rtl {

struct WorkerThreadEntry {
  static void* Run(void* self) {
    auto* thread = static_cast<WorkerThread*>(self);
    WorkerThread::FEntered.fetch_add(1, std::memory_order_release);
    thread->FFunction(thread->FContext);
    return nullptr;
  }
};

bool WorkerThread::Start(Function function, void* context) {
  if (FRunning) return false;
  FFunction = function;
  FContext = context;
  pthread_t thread;
  if (::pthread_create(&thread, nullptr, &WorkerThreadEntry::Run, this) != 0) return false;
  static_assert(sizeof(pthread_t) <= sizeof(std::intptr_t), "pthread_t must fit the handle");
  FHandle = static_cast<std::intptr_t>(thread);
  FRunning = true;
  return true;
}

void WorkerThread::Join() noexcept {
  if (!FRunning) return;
  ::pthread_join(static_cast<pthread_t>(FHandle), nullptr);
  FHandle = 0;
  FRunning = false;
}

int ProcessorCount() {
  const long n = ::sysconf(_SC_NPROCESSORS_ONLN);
  return n > 0 ? static_cast<int>(n) : 1;
}

void PauseWhileWaiting(unsigned round) noexcept {
  if (round < kPauseRounds) {
#if defined(__i386__) || defined(__x86_64__)
    __builtin_ia32_pause();
#endif
  } else if (round < kYieldRounds) {
    ::sched_yield();
  } else {
    ::usleep(1000);
  }
}

}  // namespace rtl
