#pragma once
// Keyed, length-keeping, reversible scrambling of 8-bit text. It keeps a
// stored value out of plain sight and nothing more: the keys are constants.

#include <string>

constexpr int Scramble = 1;
constexpr int Unscramble = 0;

// The watcher's key and the setup runtime's key.
constexpr const char* WatcherScrambleKey = "mol58Kharbon";
constexpr const char* SetupScrambleKey = "fennodrip";

// Mode Scramble or Unscramble; any other mode returns Text unchanged.
// An empty Key also leaves the text as it is.
std::string ScrambleText(const std::string& Text, int Mode, const std::string& Key);

// The counter limit for a text of Length characters: 2/3 of it, rounded.
long long ScrambleCounterLimit(long long Length);
