#include "setup/core/Digest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

#include "rtl/core/FileLayer.h"
#include "rtl/core/Streams.h"
#include "setup/core/Sha1.h"
#include "setup/core/StringFormat.h"
#include "tests/core/TempFile.h"

namespace {

const char kEmpty[] = "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709";
const char kAbc[] = "A9993E364706816ABA3E25717850C26C9CD0D89D";

void Fill(rtl::TStream& stream, const std::string& bytes) {
  stream.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

}  // namespace

TEST(DigestOfStream, RangesOfAMemoryStream) {
  rtl::TMemoryStream s;
  Fill(s, "xxabcyy");

  s.SetPosition(2);
  EXPECT_EQ(kAbc, DigestOfStream(&THash_SHA1::Create, s, 3, 16));
  EXPECT_EQ(5, s.Position());

  s.SetPosition(3);
  EXPECT_EQ(kEmpty, DigestOfStream(&THash_SHA1::Create, s, 0, 16)) << "empty range";

  // Past the end only what remains is hashed.
  s.SetPosition(5);
  const std::string tail = DigestOfStream(&THash_SHA1::Create, s, 2, 16);
  s.SetPosition(5);
  EXPECT_EQ(tail, DigestOfStream(&THash_SHA1::Create, s, 1000, 16));
  EXPECT_EQ(7, s.Position());
  s.SetPosition(7);
  EXPECT_EQ(kEmpty, DigestOfStream(&THash_SHA1::Create, s, 10, 16)) << "at the end";

  // A negative count hashes the whole stream from position 0.
  rtl::TMemoryStream abc;
  Fill(abc, "abc");
  for (std::int64_t start : {0, 1, 3}) {
    abc.SetPosition(start);
    EXPECT_EQ(kAbc, DigestOfStream(&THash_SHA1::Create, abc, -1, 16)) << start;
  }
}

TEST(DigestOfStream, CrossesTheReadBufferExactly) {
  // Around the size of one read (64 KiB) and of two.
  std::string data(131073, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
  for (std::int64_t count : {1, 4096, 65535, 65536, 65537, 131072, 131073}) {
    rtl::TMemoryStream s;
    Fill(s, data);
    s.SetPosition(0);
    THash_SHA1 reference;
    reference.Calc(data.data(), static_cast<size_t>(count));
    reference.Done();
    EXPECT_EQ(BytesToText(reference.DigestKey(), 20, 16), DigestOfStream(&THash_SHA1::Create, s, count, 16))
        << count;
  }
}

TEST(DigestOfStream, ReadsAFileThroughAHandleStream) {
  TempFile file("digest");
  {
    rtl::TFileStream out(file.Name(), rtl::FileStreamMode::Create);
    Fill(out, std::string(100, 'q') + "abc");
  }
  rtl::TFileStream in(file.Name(), rtl::FileStreamMode::OpenRead);
  in.SetPosition(100);
  EXPECT_EQ(kAbc, DigestOfStream(&THash_SHA1::Create, in, 3, 16));
  in.SetPosition(100);
  EXPECT_EQ(kAbc, DigestOfStream(&THash_SHA1::Create, in, 1 << 20, 16));
}

// The runtime's check reads its container on a second thread into a ring
// of slices while it hashes; the digest must not depend on where a range
// starts and ends against slices and the ring, nor on the second thread.
class DigestOfFileTest : public ::testing::Test {
protected:
  static constexpr std::int64_t kSlice = kDigestSliceSize;
  static constexpr std::int64_t kRing = kSlice * kDigestSlices;

  void SetUp() override {
    FData.resize(static_cast<size_t>(3 * kRing + 100));
    for (size_t i = 0; i < FData.size(); ++i) FData[i] = static_cast<char>(i * 131 + (i >> 16));
    rtl::TFileStream out(FFile.Name(), rtl::FileStreamMode::Create);
    Fill(out, FData);
  }
  std::int64_t Size() const { return static_cast<std::int64_t>(FData.size()); }

  std::string FData;
  TempFile FFile{"digestfile"};
};

TEST_F(DigestOfFileTest, EqualsThePlainDigestAcrossSlicesAndTheRing) {
  const std::int64_t size = Size(), s = kSlice, r = kRing;
  const struct {
    std::int64_t position, count;
  } cases[] = {
      {0, 0},     {0, 1},         {0, s - 1},     {0, s},     {0, s + 1},    {1, s},
      {s - 1, 2}, {0, r - 1},     {0, r},         {0, r + 1}, {r - 1, r + 2}, {7, size - 7},
      {0, size},  {size - 1, 1},  {size, 0},
  };
  rtl::FileHandle file(rtl::FileOpenReadLocked(FFile.Name()));
  ASSERT_TRUE(file.Valid());
  for (const bool readAhead : {true, false}) {
    for (const auto& c : cases) {
      THash_SHA1 reference;
      reference.Calc(FData.data() + c.position, static_cast<size_t>(c.count));
      reference.Done();
      const std::optional<std::string> digest =
          DigestOfFile(&THash_SHA1::Create, file.Get(), c.position, c.count, 16, readAhead);
      ASSERT_TRUE(digest.has_value()) << c.position << "+" << c.count << " ahead " << readAhead;
      EXPECT_EQ(BytesToText(reference.DigestKey(), 20, 16), *digest)
          << c.position << "+" << c.count << " ahead " << readAhead;
    }
  }
}

TEST_F(DigestOfFileTest, AFileThatEndsFirstOrCannotBeReadHasNoDigest) {
  // Not a digest of fewer bytes, and no wait for a reader that has given up.
  const std::int64_t size = Size();
  const struct {
    std::int64_t position, count;
  } cases[] = {{0, size + 1}, {size - 1, 2}, {kRing, 3 * kRing}, {-1, 1}, {0, -1}};
  {
    rtl::FileHandle writeOnly(rtl::FileOpen(FFile.Name(), rtl::FileAccess::Write));
    ASSERT_TRUE(writeOnly.Valid());
    for (const bool readAhead : {true, false})
      EXPECT_FALSE(DigestOfFile(&THash_SHA1::Create, writeOnly.Get(), 0, size, 16, readAhead))
          << "a handle that cannot read, ahead " << readAhead;
  }
  rtl::FileHandle file(rtl::FileOpenReadLocked(FFile.Name()));
  ASSERT_TRUE(file.Valid());
  for (const bool readAhead : {true, false}) {
    for (const auto& c : cases)
      EXPECT_FALSE(DigestOfFile(&THash_SHA1::Create, file.Get(), c.position, c.count, 16, readAhead))
          << c.position << "+" << c.count << " ahead " << readAhead;
  }
}

TEST(DigestOfStream, UnknownFormatRaisesAfterHashing) {
  rtl::TMemoryStream s;
  try {
    DigestOfStream(&THash_SHA1::Create, s, -1, 64);
    FAIL() << "no exception";
  } catch (const EStringFormat& e) {
    EXPECT_STREQ("String Format \"64\" not exists.", e.what());
  }
}

TEST(BytesToText, UpperCaseHexHighHalfFirst) {
  const unsigned char bytes[] = {0x00, 0x0F, 0xF0, 0xAB, 0xCD, 0xEF, 0x12, 0xFF};
  EXPECT_EQ("000FF0ABCDEF12FF", BytesToText(bytes, sizeof bytes, 16));
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string text = BytesToText(all.data(), all.size(), 16);
  ASSERT_EQ(512u, text.size());
  EXPECT_EQ(std::string::npos, text.find_first_not_of("0123456789ABCDEF"));
  EXPECT_EQ("7F80", text.substr(254, 4));
}

TEST(BytesToText, NoDataGivesEmptyTextInAnyFormat) {
  const unsigned char one = 1;
  EXPECT_EQ("", BytesToText(nullptr, 5, 16));
  EXPECT_EQ("", BytesToText(&one, 0, 16));
  EXPECT_EQ("", BytesToText(&one, 0, 999));
}

TEST(BytesToText, UnknownFormatNumbers) {
  const unsigned char one = 1;
  for (int format : {0, 15, 17, -16, 64}) {
    try {
      BytesToText(&one, 1, format);
      FAIL() << format;
    } catch (const EStringFormat& e) {
      EXPECT_EQ("String Format \"" + std::to_string(format) + "\" not exists.", e.Message());
    }
  }
}
