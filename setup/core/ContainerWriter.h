#pragma once
// Writes a resource container (the layout in ExtraResManager.h) at the end of
// a stream, hashing the entries while they stream through.

#include <cstdint>
#include <string>
#include <vector>

#include "rtl/core/Streams.h"

struct ContainerEntry {
  std::int32_t ID;
  std::string Name;        // at most 255 characters
  rtl::TStream* Source;    // read from position 0 to its end; may be null
  // Without a Source: the file whose bytes the entry holds, opened only
  // while they are measured and while they are copied, one file at a time,
  // so that any number of files stays within the open-file limit.
  std::string FileName = {};
};

// Appends the container at Out's current position (usually its end) and
// returns its size N. Raises rtl::Exception when a name is too long, the
// container would not fit the signed 32-bit size field, or a file changes
// its size between measuring and copying; rtl::EFOpenError when a file
// cannot be opened.
std::int64_t WriteContainer(rtl::TStream& Out, const std::vector<ContainerEntry>& Entries);
