#pragma once
// The container at the end of the installer's own program file, as start-up
// and every install find it: there and sound, not there at all (the runtime
// as it was built), or damaged. A download cut short or changed on its way
// is damaged, not absent: it has bytes after the program's own image that
// are no sound container, and it must say so instead of offering to install
// nothing.

#include <cstdint>
#include <string>

#include "rtl/core/FileLayer.h"
#include "setup/core/ExtraResManager.h"

enum class ContainerState { Absent, Valid, Damaged };

struct OwnContainer {
  ContainerState State = ContainerState::Absent;
  std::string Digest;      // the container's digest, when valid
  std::string Unreadable;  // the platform's reason, when the file cannot be read
};

// Loads the container of ProgramFile into Manager, read-only. Absent when
// the file ends where its image ends; anything else that does not load is
// damaged.
OwnContainer LoadOwnContainer(TExtraResManager& Manager, const std::string& ProgramFile);

// Where the bytes of a Windows program's image end in File: headers,
// sections, a symbol table and a signature where they are present. -1 when
// File holds no such image.
std::int64_t ProgramImageEnd(rtl::NativeFile File);
