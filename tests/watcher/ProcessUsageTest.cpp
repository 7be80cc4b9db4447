// The figures that the soak test and the benchmark rely on: measured from
// outside, they must follow what a process holds, also where Wine leaves
// them at 0 for another process.

#include "tests/watcher/WatcherFixture.h"

#include <vector>

#include "rtl/win32/Handles.h"

TEST(ProcessUsage, HandleTableAndCommittedMemoryFollowWhatTheProcessHolds) {
  // Other threads of this process (Wine's among them) may open a few
  // handles or pages meanwhile; the steps here are far larger.
  constexpr DWORD kEvents = 64, kSlack = 8;
  constexpr SIZE_T kBlock = 16u << 20;
  DWORD before = 0, holding = 0, after = 0;
  ASSERT_TRUE(CountHandlesInSystemTable(::GetCurrentProcessId(), before));
  {
    std::vector<rtl::KernelHandle> events;
    for (DWORD i = 0; i < kEvents; ++i) events.emplace_back(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    ASSERT_TRUE(CountHandlesInSystemTable(::GetCurrentProcessId(), holding));
  }
  ASSERT_TRUE(CountHandlesInSystemTable(::GetCurrentProcessId(), after));
  EXPECT_GE(holding, before + kEvents);
  EXPECT_LE(holding, before + kEvents + kSlack);
  EXPECT_LE(after, before + kSlack);

  SIZE_T free = 0, committed = 0, released = 0;
  ASSERT_TRUE(SumCommittedPrivate(::GetCurrentProcess(), free));
  void* block = ::VirtualAlloc(nullptr, kBlock, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  ASSERT_NE(nullptr, block);
  ASSERT_TRUE(SumCommittedPrivate(::GetCurrentProcess(), committed));
  ::VirtualFree(block, 0, MEM_RELEASE);
  ASSERT_TRUE(SumCommittedPrivate(::GetCurrentProcess(), released));
  EXPECT_GE(committed, free + kBlock);
  EXPECT_LT(released, committed - kBlock / 2);
  // Reserved but not committed does not count.
  block = ::VirtualAlloc(nullptr, kBlock, MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(nullptr, block);
  SIZE_T reserved = 0;
  ASSERT_TRUE(SumCommittedPrivate(::GetCurrentProcess(), reserved));
  ::VirtualFree(block, 0, MEM_RELEASE);
  EXPECT_LT(reserved, released + kBlock / 2);
}

TEST_F(Watcher, MeasuredFromOutsideEveryFigureIsThere) {
  StartKnown();
  ASSERT_TRUE(WaitForTrayStart());
  ProcessUsage usage;
  ASSERT_TRUE(MeasureProcess(watcher->Handle(), usage));
  // A start may take less processor time than the system counts in one
  // step; the first check adds to it.
  ASSERT_TRUE(PumpUntil([&] { return MeasureProcess(watcher->Handle(), usage) && usage.CpuSeconds > 0; }, 10000));
  EXPECT_GT(usage.Handles, 10u);
  EXPECT_LT(usage.Handles, 2000u);
  EXPECT_GT(usage.PrivateBytes, SIZE_T{1} << 20);
  EXPECT_GT(usage.WorkingSet, SIZE_T{1} << 20);
  EXPECT_GE(usage.PeakWorkingSet, usage.WorkingSet);
  EXPECT_GT(usage.CpuSeconds, 0.0);
}
