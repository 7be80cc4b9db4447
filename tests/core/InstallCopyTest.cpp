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
  ASSERT_TRUE(InstallResourceFile(source, folder, name).Ok());
  EXPECT_EQ(data, ReadFile(target.Name()));

  rtl::TMemoryStream small;
  small.WriteBuffer("new", 3);
  ASSERT_TRUE(InstallResourceFile(small, folder, name).Ok());
  EXPECT_EQ("new", ReadFile(target.Name())) << "replaced, not appended";

  rtl::TMemoryStream empty;
  ASSERT_TRUE(InstallResourceFile(empty, folder, name).Ok());
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
  const CopyOutcome outcome = InstallResourceFile(source, folder, name);
  EXPECT_EQ(CopyOutcome::Fault::Read, outcome.Kind);
  EXPECT_EQ("Stream-Lesefehler", outcome.Text);
  EXPECT_EQ("old", ReadFile(target.Name())) << "the earlier file is untouched";
}

TEST(InstallCopy, UnwritableTargetNamesTheFile) {
  const std::string folder = Folder() + "no_such_folder_" + std::to_string(reinterpret_cast<std::uintptr_t>(&Folder)) +
                             rtl::PathDelim;
  rtl::TMemoryStream source;
  source.WriteBuffer("x", 1);
  const CopyOutcome outcome = InstallResourceFile(source, folder, "file.bin");
  EXPECT_EQ(CopyOutcome::Fault::Write, outcome.Kind);
  EXPECT_EQ(0u, outcome.Text.find("Datei \"" + folder + "file.bin\" kann nicht erstellt werden. "));
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
      EXPECT_EQ('~', scratch[0]) << name << " attempt " << attempt;
      EXPECT_LE(scratch.size(), std::max<size_t>(name.size(), 2)) << name << " attempt " << attempt;
      EXPECT_EQ(seen.end(), std::find(seen.begin(), seen.end(), scratch)) << name << " attempt " << attempt;
      seen.push_back(scratch);
    }
  }
}

TEST(InstallCopy, TakenScratchNamesAreLeftAloneAndLeftoversSwept) {
  TempFile probe("scratch");
  const std::string folder = probe.Name() + rtl::PathDelim;
  std::error_code ignored;
  std::filesystem::remove_all(probe.Name(), ignored);  // left by a run that failed
  ASSERT_TRUE(rtl::CreateDir(probe.Name()));
  auto write = [&](const std::string& name, const std::string& bytes) {
    rtl::TFileStream out(folder + name, rtl::FileStreamMode::Create);
    out.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  };
  // The first scratch names of "data.bin": a folder, a file that another
  // install has open (on Windows, where that keeps it), and a leftover.
  ASSERT_TRUE(rtl::CreateDir(folder + ScratchName("data.bin", 0)));
  write(ScratchName("data.bin", 1), "busy");
  rtl::FileHandle busy(rtl::FileOpenReadLocked(folder + ScratchName("data.bin", 1)));
  write(ScratchName("data.bin", 2), "leftover");
  // Leftovers of other lengths, and files that only look alike.
  const std::vector<std::string> swept = {"~0", "~1", "~0z", "~00000a"};
  const std::vector<std::string> kept = {"~10", "~0000000A", "~00000-1", "~", "0", "~00000000", "notes.txt"};
  for (const auto& name : swept) write(name, "leftover");
  for (const auto& name : kept) write(name, "keep");

  SweepScratchFiles(folder);
  rtl::TMemoryStream source;
  source.WriteBuffer("payload", 7);
  const CopyOutcome copied = InstallResourceFile(source, folder, "data.bin");
  ASSERT_TRUE(copied.Ok()) << copied.Text;
  EXPECT_EQ("payload", ReadFile(folder + "data.bin"));

  EXPECT_TRUE(rtl::DirectoryExists(folder + ScratchName("data.bin", 0))) << "a folder is stepped over, not removed";
  for (const auto& name : swept) EXPECT_FALSE(rtl::FileExists(folder + name)) << name;
  for (const auto& name : kept) EXPECT_EQ("keep", ReadFile(folder + name)) << name;
#if defined(_WIN32)
  EXPECT_EQ("busy", ReadFile(folder + ScratchName("data.bin", 1))) << "in use: another install's";
#endif
  busy.Reset();
  std::filesystem::remove_all(probe.Name(), ignored);
}
