#pragma once
// The digest of a byte range of a stream, as text.

#include <cstdint>
#include <string>

#include "rtl/core/Streams.h"
#include "setup/core/Hash.h"

// Hashes Count bytes from Stream's current position (fewer when the stream
// ends first) and returns the digest in text format Format. A negative Count
// hashes the whole stream from position 0.
std::string DigestOfStream(THashClass HashClass, rtl::TStream& Stream, std::int64_t Count,
                           int Format);
