#pragma once
// SHA-1 block compression: a portable version and one on the processor's SHA
// instructions, picked once at run time.

#include <cstddef>
#include <cstdint>

// Runs Blocks 64-byte blocks of Data through the five-word State.
using Sha1CompressFn = void (*)(std::uint32_t State[5], const std::uint8_t* Data,
                                std::size_t Blocks);

void Sha1CompressPortable(std::uint32_t State[5], const std::uint8_t* Data, std::size_t Blocks);

// True when the processor has the SHA extensions with SSSE3 and SSE4.1.
bool Sha1HardwareAvailable();
// Only to be called when Sha1HardwareAvailable() is true.
void Sha1CompressHardware(std::uint32_t State[5], const std::uint8_t* Data, std::size_t Blocks);

// The fastest compression this processor runs.
Sha1CompressFn Sha1BestCompress();
