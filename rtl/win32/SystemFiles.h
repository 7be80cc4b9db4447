#pragma once
// System folders, file versions, and loading system DLLs from the system
// folder only.

#include <windows.h>

#include <string>

namespace rtl {

std::string WindowsFolder();
std::string SystemFolder();
std::string TempFolder();

// "a.b.c.d" from the version resource of FileName; empty without one.
std::string FileVersionText(const std::string& fileName);

// Makes later DLL loads search the system folder (and the program's own
// folder only where the system asks for it explicitly), where the system
// offers that. Call first thing in WinMain.
void RestrictDllSearchPath();
// Loads a DLL from the system folder, never from the program's folder or
// the current folder.
HMODULE LoadSystemLibrary(const char* name);

}  // namespace rtl
