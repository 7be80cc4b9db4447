#include "setup/core/CpuFeatures.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>

bool CpuHasSha1Instructions() {
  static const bool available = [] {
    unsigned eax, ebx, ecx, edx;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
    const bool ssse3 = ecx & (1u << 9);
    const bool sse41 = ecx & (1u << 19);
    if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return false;
    const bool sha = ebx & (1u << 29);
    return ssse3 && sse41 && sha;
  }();
  return available;
}

#else

bool CpuHasSha1Instructions() { return false; }

#endif
