#pragma once
// The digest of a byte range of a stream or of a file, as text.

#include <cstdint>
#include <optional>
#include <string>

#include "rtl/core/FileLayer.h"
#include "rtl/core/Streams.h"
#include "setup/core/Hash.h"

// Hashes Count bytes from Stream's current position (fewer when the stream
// ends first) and returns the digest in text format Format. A negative Count
// hashes the whole stream from position 0.
std::string DigestOfStream(THashClass HashClass, rtl::TStream& Stream, std::int64_t Count,
                           int Format);

// DigestOfFile reads in slices of this size, into a ring of this many.
constexpr std::int32_t kDigestSliceSize = 64 * 1024;
constexpr int kDigestSlices = 8;

// Hashes the Count bytes of File from Position and returns the digest in text
// format Format; nothing when the file ends before them or cannot be read.
// Moves the file position. Where a second processor is there (and ReadAhead
// allows it), a worker thread reads the next slices while this one hashes.
std::optional<std::string> DigestOfFile(THashClass HashClass, rtl::NativeFile File,
                                        std::int64_t Position, std::int64_t Count, int Format,
                                        bool ReadAhead = true);
