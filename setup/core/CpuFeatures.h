#pragma once
// What the processor offers beyond the baseline instruction set. The one
// place that asks the processor itself; everything else asks here.

// True when the processor has the SHA extensions together with SSSE3 and
// SSE4.1, which the hardware SHA-1 compression uses.
bool CpuHasSha1Instructions();
