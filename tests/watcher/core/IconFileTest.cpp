#include <gtest/gtest.h>

#include <vector>

#include "watcher/core/IconFile.h"

namespace {

struct Entry {
  unsigned w, h, colours, bits;
  std::uint32_t size;
};

// An icon file whose images are runs of their own index byte.
std::vector<std::uint8_t> IconFile(const std::vector<Entry>& entries) {
  std::vector<std::uint8_t> f = {0, 0, 1, 0, static_cast<std::uint8_t>(entries.size()), 0};
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
  auto put16 = [&](unsigned v) { f.push_back(v & 0xFF); f.push_back(v >> 8 & 0xFF); };
  auto put32 = [&](std::uint32_t v) { put16(v & 0xFFFF); put16(v >> 16); };
  for (const Entry& e : entries) {
    f.push_back(static_cast<std::uint8_t>(e.w));
    f.push_back(static_cast<std::uint8_t>(e.h));
    f.push_back(static_cast<std::uint8_t>(e.colours));
    f.push_back(0);
    put16(1);
    put16(e.bits);
    put32(e.size);
    put32(offset);
    offset += e.size;
  }
  for (size_t i = 0; i < entries.size(); ++i) f.insert(f.end(), entries[i].size, static_cast<std::uint8_t>(i));
  return f;
}

}  // namespace

TEST(IconFile, PicksTheRichestImageOfTheSize) {
  const auto file = IconFile({{16, 16, 16, 4, 296}, {16, 16, 0, 8, 1384}, {16, 16, 0, 32, 1128}, {32, 32, 0, 32, 4264}});
  const struct {
    unsigned size, maxBits;
    bool found;
    unsigned bits;
    std::uint8_t index;
  } cases[] = {
      {16, 32, true, 32, 2}, {16, 8, true, 8, 1}, {16, 4, true, 4, 0}, {16, 1, false, 0, 0},
      {32, 32, true, 32, 3}, {48, 32, false, 0, 0},
  };
  for (const auto& c : cases) {
    IconImageSpan span{};
    ASSERT_EQ(c.found, PickIconImage(file.data(), file.size(), c.size, c.size, c.maxBits, span)) << c.size << "/" << c.maxBits;
    if (!c.found) continue;
    EXPECT_EQ(c.bits, span.BitCount);
    EXPECT_EQ(c.index, file[span.Offset]);
    EXPECT_EQ(c.index, file[span.Offset + span.Size - 1]);
  }
}

TEST(IconFile, DamagedFilesAreRefused) {
  auto good = IconFile({{16, 16, 16, 0, 296}});
  IconImageSpan span{};
  ASSERT_TRUE(PickIconImage(good.data(), good.size(), 16, 16, 32, span));
  EXPECT_EQ(4u, span.BitCount) << "16 colours without a bit count";

  auto truncated = good;
  truncated.resize(truncated.size() - 1);
  auto hugeCount = good;
  hugeCount[4] = 0xFF;
  auto farOffset = good;
  farOffset[6 + 12 + 3] = 0x80;
  auto wrapSize = good;
  for (int i = 8; i < 12; ++i) wrapSize[6 + i] = 0xFF;
  auto cursor = good;
  cursor[2] = 2;
  for (const auto* f : {&truncated, &hugeCount, &farOffset, &wrapSize, &cursor})
    EXPECT_FALSE(PickIconImage(f->data(), f->size(), 16, 16, 32, span));
  EXPECT_FALSE(PickIconImage(good.data(), 5, 16, 16, 32, span));
  EXPECT_FALSE(PickIconImage(nullptr, 0, 16, 16, 32, span));
}
