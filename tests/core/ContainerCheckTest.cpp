// Which files carry a valid container: every damage must give false, never
// a crash or a read outside the file.

#include <gtest/gtest.h>

#include <cctype>

#include "setup/core/ExtraResManager.h"
#include "tests/core/ContainerFixture.h"

namespace {

const std::string kImage = "MZ\x90\x00 a program image that the container follows";

bool Has(const std::string& bytes) {
  BytesFile file(bytes);
  return TExtraResManager::HasExtraResources(file.Name());
}

std::string Sample() {
  return ContainerOf({{0, "Setup.~lst", "[Global]\r\n"}, {1, "a.bin", std::string(300, 'x')}, {2, "empty", ""}});
}

}  // namespace

TEST(ContainerCheck, ValidContainerAndItsInfo) {
  const std::string container = Sample();
  BytesFile file(kImage + container);
  TExtraResInfo info;
  ASSERT_TRUE(TExtraResManager::HasExtraResources(file.Name(), &info));
  EXPECT_EQ(static_cast<std::int32_t>(container.size()), info.ContainerSize);
  EXPECT_EQ(3, info.Count);
  EXPECT_EQ(container.substr(0, 40), info.Digest);
  EXPECT_EQ(std::string::npos, info.Digest.find_first_not_of("0123456789ABCDEF"));
}

TEST(ContainerCheck, SmallestContainerHasNoEntries) {
  const std::string empty = ContainerOf({});
  ASSERT_EQ(86u, empty.size());
  EXPECT_TRUE(Has(empty));
  EXPECT_TRUE(Has(kImage + empty));
}

TEST(ContainerCheck, FilesWithoutAContainer) {
  EXPECT_FALSE(Has(""));
  EXPECT_FALSE(Has("short"));
  EXPECT_FALSE(Has(std::string(43, 'z')));
  EXPECT_FALSE(Has(std::string(5000, 'z')));
  EXPECT_FALSE(Has(kImage));
}

TEST(ContainerCheck, TruncationAtEveryLength) {
  const std::string container = Sample();
  for (size_t cut = 1; cut < container.size(); ++cut) {
    EXPECT_FALSE(Has(container.substr(0, container.size() - cut))) << "end cut by " << cut;
    EXPECT_FALSE(Has(container.substr(cut))) << "start cut by " << cut;
  }
}

TEST(ContainerCheck, ContainerSizeField) {
  const std::string container = Sample();
  const std::string body = container.substr(0, container.size() - 4);
  const auto n = static_cast<std::int32_t>(container.size());
  for (std::int32_t bad : {0, -1, -86, 85, 86, n - 1, n + 1, n + 1000, 0x7FFFFFFF,
                           static_cast<std::int32_t>(0x80000000u)}) {
    EXPECT_FALSE(Has(kImage + body + Int32Bytes(bad))) << bad;
  }
  EXPECT_TRUE(Has(kImage + body + Int32Bytes(n)));
}

TEST(ContainerCheck, EveryChangedByteIsNoticed) {
  const std::string container = Sample();
  for (size_t at = 0; at < container.size() - 4; ++at) {
    std::string damaged = container;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x01);
    EXPECT_FALSE(Has(damaged)) << "byte " << at;
  }
}

TEST(ContainerCheck, DigestsMustBeUpperCaseAndEqual) {
  const std::string container = Sample();
  std::string lower = container;
  for (size_t i = 0; i < 40; ++i) {
    lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[i])));
    lower[container.size() - 44 + i] = lower[i];
  }
  ASSERT_NE(container, lower) << "the sample digest has letters";
  EXPECT_FALSE(Has(lower));

  // Same body, a trailer digest of another body: refused without hashing.
  std::string mismatch = container;
  mismatch.replace(container.size() - 44, 40, Sha1Hex("other"));
  EXPECT_FALSE(Has(mismatch));
}

TEST(ContainerCheck, MissingFileAndEmptyName) {
  TempFile missing("nothing");
  EXPECT_THROW(TExtraResManager::HasExtraResources(missing.Name()), EExtraResError);
  EXPECT_THROW(TExtraResManager::HasExtraResources(""), EExtraResError);
}
