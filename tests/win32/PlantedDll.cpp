// A DLL that a test puts beside its program, where a planted copy of a
// system DLL would lie next to a downloaded installer.

#include <windows.h>

extern "C" __declspec(dllexport) int PlantedMarker() { return 42; }
