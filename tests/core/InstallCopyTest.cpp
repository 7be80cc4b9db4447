#include "setup/core/InstallCopy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "rtl/core/Exceptions.h"
#include "rtl/core/FileLayer.h"
#include "rtl/core/Paths.h"
#include "tests/core/TempFile.h"

namespace {

// A stream that fails to deliver after Limit bytes, as a broken medium does.
class FailingStream : public rtl::TMemoryStream {
public:
  explicit FailingStream(std::int64_t limit) : FLimit(limit) {}
  std::int32_t Read(void* buffer, std::int32_t count) override {
    const std::int64_t here = Position();
    if (here >= FLimit) return 0;
    return TMemoryStream::Read(buffer, static_cast<std::int32_t>(std::min<std::int64_t>(count, FLimit - here)));
  }

private:
  std::int64_t FLimit;
};

std::string Folder() {
  TempFile probe("f");
  return rtl::ExtractFilePath(probe.Name());
}

std::string ReadFile(const std::string& name) {
  rtl::TFileStream in(name, rtl::FileStreamMode::OpenRead);
  std::string out(static_cast<size_t>(in.Size()), '\0');
  if (!out.empty()) in.ReadBuffer(&out[0], static_cast<std::int32_t>(out.size()));
  return out;
}

}  // namespace

TEST(InstallCopy, CopiesInBlocksAndReplaces) {
  TempFile target("install");
  const std::string folder = rtl::ExtractFilePath(target.Name());
  const std::string name = rtl::ExtractFileName(target.Name());
  std::string data(3 * (1 << 20) + 17, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 31);
  rtl::TMemoryStream source;
  source.WriteBuffer(data.data(), static_cast<std::int32_t>(data.size()));
  InstallResourceFile(source, folder, name);
  EXPECT_EQ(data, ReadFile(target.Name()));

  rtl::TMemoryStream small;
  small.WriteBuffer("new", 3);
  InstallResourceFile(small, folder, name);
  EXPECT_EQ("new", ReadFile(target.Name())) << "replaced, not appended";

  rtl::TMemoryStream empty;
  InstallResourceFile(empty, folder, name);
  EXPECT_EQ("", ReadFile(target.Name()));
}

TEST(InstallCopy, FailureLeavesNoTruncatedFile) {
  TempFile target("broken");
  const std::string folder = rtl::ExtractFilePath(target.Name());
  const std::string name = rtl::ExtractFileName(target.Name());
  {
    rtl::TFileStream old(target.Name(), rtl::FileStreamMode::Create);
    old.WriteBuffer("old", 3);
  }
  FailingStream source(1000);
  const std::string data(5000, 'x');
  source.WriteBuffer(data.data(), 5000);
  EXPECT_THROW(InstallResourceFile(source, folder, name), rtl::EReadError);
  EXPECT_EQ("old", ReadFile(target.Name())) << "the earlier file is untouched";
}

TEST(InstallCopy, UnwritableTargetNamesTheFile) {
  const std::string folder = Folder() + "no_such_folder_" + std::to_string(reinterpret_cast<std::uintptr_t>(&Folder)) +
                             rtl::PathDelim;
  rtl::TMemoryStream source;
  source.WriteBuffer("x", 1);
  try {
    InstallResourceFile(source, folder, "file.bin");
    FAIL();
  } catch (const rtl::EFCreateError& e) {
    EXPECT_EQ(0u, e.Message().find("Datei \"" + folder + "file.bin\" kann nicht erstellt werden. "));
  }
}

TEST(InstallCopy, InOutErrorTexts) {
  EXPECT_EQ("Dateizugriff verweigert", InOutErrorText(5));
  EXPECT_EQ("E/A-Fehler 123", InOutErrorText(123));
  EXPECT_EQ("E/A-Fehler 183", InOutErrorText(183));
}

TEST(InstallCopy, ScratchNamesFitWhereTheFinalNameFits) {
  for (const std::string name : {"a", "$", "0", "ab", "~0", "data.bin", "~0000000", "a-very-long-file-name.txt"}) {
    std::vector<std::string> seen;
    for (unsigned attempt = 0; attempt < ScratchAttempts; ++attempt) {
      const std::string scratch = ScratchName(name, attempt);
      EXPECT_FALSE(scratch.empty());
      EXPECT_LE(scratch.size(), name.size()) << name << " attempt " << attempt;
      EXPECT_EQ(seen.end(), std::find(seen.begin(), seen.end(), scratch)) << name << " attempt " << attempt;
      seen.push_back(scratch);
    }
  }
}

TEST(InstallCopy, TakenScratchNamesAreLeftAlone) {
  // A one-character name has the fewest scratch names. The first ones are
  // taken by files that must survive; "1" is the file itself.
  TempFile probe("scratch");
  const std::string folder = probe.Name() + rtl::PathDelim;
  ASSERT_TRUE(rtl::CreateDir(probe.Name()));
  std::vector<std::string> taken;
  for (unsigned attempt = 0; attempt < 3; ++attempt) {
    taken.push_back(folder + ScratchName("1", attempt));
    rtl::TFileStream other(taken.back(), rtl::FileStreamMode::Create);
    other.WriteBuffer("keep", 4);
  }
  rtl::TMemoryStream source;
  source.WriteBuffer("payload", 7);
  InstallResourceFile(source, folder, "1");
  EXPECT_EQ("payload", ReadFile(folder + "1"));
  for (const auto& name : taken) {
    if (name != folder + "1") EXPECT_EQ("keep", ReadFile(name)) << name;
    rtl::FileDelete(name);
  }
  EXPECT_EQ(3u, taken.size());
  rtl::FileDelete(folder + "1");
  std::error_code ignored;
  std::filesystem::remove(probe.Name(), ignored);
}
