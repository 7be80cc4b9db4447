#pragma once
// The layout of the resource container that the builder appends to the
// installer, as its reader and its writer share it. All numbers are
// little-endian.
//
//   digest       40  the SHA-1 of count and entries, upper-case hexadecimal
//   count         2  the number of entries
//   entries          each: size 4, id 4, name length 1, the name, the bytes
//   digest       40  the same digest again
//   size          4  the container's size, both digests included
//
// The trailer at the end of the file is found first; its size leads back to
// the head.

#include <cstdint>

constexpr std::int32_t kExtraResDigestSize = 40;
constexpr std::int32_t kExtraResCountSize = 2;
constexpr std::int32_t kExtraResSizeFieldSize = 4;
// Size, id and name length of an entry.
constexpr std::int32_t kExtraResEntryHeadSize = 4 + 4 + 1;
// The digest and the count.
constexpr std::int32_t kExtraResHeadSize = kExtraResDigestSize + kExtraResCountSize;
// The digest again and the container's size.
constexpr std::int32_t kExtraResTrailerSize = kExtraResDigestSize + kExtraResSizeFieldSize;
// A container without entries.
constexpr std::int32_t kExtraResMinimumSize = kExtraResHeadSize + kExtraResTrailerSize;
// What the count and the name length can hold.
constexpr std::int32_t kExtraResMaxEntries = 0xFFFF;
constexpr std::int32_t kExtraResMaxNameLength = 0xFF;
