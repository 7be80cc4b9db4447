#pragma once
// System folders, file versions, and loading system DLLs from the system
// folder only.

#include <windows.h>

#include <string>

namespace rtl {

std::string WindowsFolder();
std::string SystemFolder();
std::string TempFolder();
// "ProgramFilesDir" under HKEY_LOCAL_MACHINE, read-only: a process without
// elevation may read that key but not open it for writing. Empty when the
// key or the value is missing.
std::string ProgramsFolder();

// "a.b.c.d" from the version resource of FileName; empty without one.
std::string FileVersionText(const std::string& fileName);

// Makes later DLL loads search the system folder (and the program's own
// folder only where the system asks for it explicitly), where the system
// offers that. Call first thing in WinMain.
void RestrictDllSearchPath();
// Loads a DLL from the system folder, never from the program's folder or
// the current folder.
HMODULE LoadSystemLibrary(const char* name);

// The entry point Name of Module, typed after its declaration (F is
// decltype(&::Function), so that a wrong prototype fails to compile), or
// nullptr when the module or the entry is missing.
template <typename F>
F BoundFunction(HMODULE module, const char* name) {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

// The entry point Name of the system DLL Library, which is loaded from the
// system folder when first asked for and stays loaded: a program that
// imported the DLL would load it at start, ahead of everything it does
// first. A missing DLL or entry is raised as an error that names it.
void* SystemEntry(const char* library, const char* name);
template <typename F>
F SystemFunction(const char* library, const char* name) {
  return reinterpret_cast<F>(SystemEntry(library, name));
}

}  // namespace rtl
