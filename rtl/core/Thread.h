#pragma once
// A second thread for work that overlaps the caller's, started with a plain
// function and joined by its owner. One implementation on Win32 threads
// (rtl/win32), one on POSIX threads (rtl/posix): the release build of the
// programs has no thread support in its standard library.

#include <atomic>
#include <cstdint>

namespace rtl {

class WorkerThread {
public:
  using Function = void (*)(void* context);

  WorkerThread() = default;
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;
  // Waits for the thread: the context it works on must outlive it.
  ~WorkerThread() { Join(); }

  // Runs Function(Context) on a new thread; false when none could be
  // started, and the caller does the work itself.
  bool Start(Function function, void* context);
  // Waits until the thread has ended; nothing when none runs.
  void Join() noexcept;
  // Started and not yet joined.
  bool Running() const { return FRunning; }

  // How many worker threads of this process have begun to run their
  // function. Windows starts a thread only while no other thread of the
  // process loads a DLL (the loader serves one thread at a time, and a new
  // thread registers with it first): a program that loads DLLs late can
  // wait for its workers to be past that, so that the loading does not
  // hold them up.
  static unsigned Entered() noexcept { return FEntered.load(std::memory_order_acquire); }

private:
  Function FFunction = nullptr;
  void* FContext = nullptr;
  std::intptr_t FHandle = 0;
  bool FRunning = false;
  static inline std::atomic<unsigned> FEntered{0};
  friend struct WorkerThreadEntry;
};

// The number of processors this process may run on, at least 1.
int ProcessorCount();

// For a thread that waits on another's progress by looking at shared
// state, in its Round-th look: a short pause in the first rounds, then the
// rest of the time slice, so that a waiter on a busy or single processor
// lets the other thread run, and after some thousand rounds a sleep of a
// millisecond, so that a long wait does not keep a processor busy.
void PauseWhileWaiting(unsigned round) noexcept;
constexpr unsigned kPauseRounds = 256;   // below: a pause
constexpr unsigned kYieldRounds = 4096;  // below: the rest of the time slice; then a sleep

}  // namespace rtl
