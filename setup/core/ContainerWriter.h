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
};

// Appends the container at Out's current position (usually its end) and
// returns its size N. Raises rtl::Exception when a name is too long or the
// container would not fit the signed 32-bit size field.
std::int64_t WriteContainer(rtl::TStream& Out, const std::vector<ContainerEntry>& Entries);
