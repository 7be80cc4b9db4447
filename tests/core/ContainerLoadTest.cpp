// Loading containers: entries as windows onto the file or as copies, the
// collection's rules, and entries whose sizes lie.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "rtl/core/Paths.h"
#include "setup/core/ExtraResManager.h"
#include "tests/core/ContainerFixture.h"

namespace {

const std::string kImage(1000, 'I');

std::string ReadAll(rtl::TStream& s) {
  s.SetPosition(0);
  std::string out(static_cast<size_t>(s.Size()), '\0');
  if (!out.empty()) s.ReadBuffer(&out[0], static_cast<std::int32_t>(out.size()));
  return out;
}

std::string Binary(size_t length) {
  std::string s(length, '\0');
  for (size_t i = 0; i < length; ++i) s[i] = static_cast<char>((i * 131 + 7) & 0xFF);
  return s;
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EExtraResError& e) {
    return e.Message();
  }
  return "(no error)";
}

std::string TempDir() {
  TempFile probe("dir");
  return rtl::ExtractFilePath(probe.Name());
}

}  // namespace

TEST(ContainerLoad, ReadOnlyWindowsAndCopiesHoldTheSameBytes) {
  const std::vector<TestEntry> entries = {
      {0, "Setup.~lst", "[Global]\r\nTitle=x\r\n"}, {1, "data.bin", Binary(70000)}, {2, "zero", ""}, {7, "x", "y"}};
  BytesFile file(kImage + ContainerOf(entries));
  for (bool readOnly : {true, false}) {
    for (bool tempFiles : {true, false}) {
      TExtraResManager manager(nullptr);
      manager.TempOptions().SetTempFolder(TempDir());
      manager.TempOptions().SetUseTempFiles(tempFiles);
      manager.LoadFromFile(file.Name(), readOnly);
      auto& r = manager.Resources();
      ASSERT_EQ(4, r.Count());
      EXPECT_EQ(readOnly, r.ReadOnly());
      EXPECT_EQ(readOnly, manager.FileHandle() != rtl::InvalidFile);
      for (int i = 0; i < r.Count(); ++i) {
        EXPECT_EQ(entries[i].id, r.Items(i).ID());
        EXPECT_EQ(entries[i].name, r.Items(i).Name());
        EXPECT_EQ(static_cast<std::int64_t>(entries[i].data.size()), r.Items(i).Stream().Size());
        EXPECT_EQ(entries[i].data, ReadAll(r.Items(i).Stream())) << "entry " << i;
      }
      const bool copiedToFiles = !readOnly && tempFiles;
      EXPECT_EQ(copiedToFiles, !r.Items(1).TempFileName().empty());
      if (copiedToFiles) {
        EXPECT_EQ(0u, rtl::ExtractFileName(r.Items(1).TempFileName()).find("$ER"));
        EXPECT_TRUE(rtl::FileExists(r.Items(1).TempFileName()));
      }
    }
  }
}

TEST(ContainerLoad, EmptyContainerAndNoContainer) {
  BytesFile empty(kImage + ContainerOf({}));
  TExtraResManager manager(nullptr);
  manager.LoadFromFile(empty.Name(), true);
  EXPECT_EQ(0, manager.Resources().Count());

  BytesFile none(kImage);
  EXPECT_EQ("File doesn't contain ExtraResources", ErrorOf([&] { manager.LoadFromFile(none.Name(), true); }));
}

TEST(ContainerLoad, WindowStreamSeekReadAndWrite) {
  BytesFile file(kImage + ContainerOf({{1, "a", "0123456789"}, {2, "b", "abc"}}));
  TExtraResManager manager(nullptr);
  manager.LoadFromFile(file.Name(), true);
  rtl::TStream& a = manager.Resources().Items(0).Stream();
  EXPECT_EQ(10, a.Size());
  EXPECT_EQ(0, a.Seek(-5, rtl::SeekOrigin::Beginning)) << "clamped to the start";
  EXPECT_EQ(10, a.Seek(5, rtl::SeekOrigin::End)) << "clamped to the end";
  EXPECT_EQ(7, a.Seek(-3, rtl::SeekOrigin::End));
  char buffer[8] = {};
  EXPECT_EQ(3, a.Read(buffer, 8)) << "short read near the end";
  EXPECT_EQ("789", std::string(buffer, 3));
  EXPECT_EQ(0, a.Read(buffer, 8)) << "at the end";
  EXPECT_EQ(4, a.Seek(-6, rtl::SeekOrigin::Current));
  EXPECT_EQ(-1, a.Seek(0, static_cast<rtl::SeekOrigin>(7)));
  try {
    a.Write("x", 1);
    FAIL();
  } catch (const rtl::EStreamError& e) {
    EXPECT_EQ("In einen zum Lesen ge\xF6" "ffneten ExtraRessourcen-Stream kann nicht geschrieben werden",
              e.Message());
  }
  // The windows share one file position: after reading b, a reads nothing
  // until it is positioned again, and never b's bytes.
  rtl::TStream& b = manager.Resources().Items(1).Stream();
  b.SetPosition(0);
  b.Read(buffer, 1);
  EXPECT_EQ(0, a.Read(buffer, 8));
  a.SetPosition(0);
  EXPECT_EQ(8, a.Read(buffer, 8));
}

TEST(ContainerLoad, ReadOnlyCollectionRefusesChanges) {
  BytesFile file(kImage + ContainerOf({{1, "a", "x"}, {2, "b", "y"}}));
  TExtraResManager manager(nullptr);
  manager.LoadFromFile(file.Name(), true);
  auto& r = manager.Resources();
  const std::string readOnly = "This ExtraResource is ReadOnly";
  EXPECT_EQ(readOnly, ErrorOf([&] { r.Clear(); }));
  EXPECT_EQ(readOnly, ErrorOf([&] { r.Add(nullptr, 9, "new"); }));
  EXPECT_EQ(readOnly, ErrorOf([&] { r.Items(0).SetID(5); }));
  EXPECT_EQ(readOnly, ErrorOf([&] { r.Items(0).SetName("z"); }));
  EXPECT_EQ(2, r.Count());
}

TEST(ContainerLoad, SettersRefuseDuplicatesIncludingTheirOwnValue) {
  TExtraResManager manager(nullptr);
  manager.TempOptions().SetUseTempFiles(false);
  auto& r = manager.Resources();
  TExtraResource& a = r.Add(nullptr, 1, "a");
  r.Add(nullptr, 2, "b");
  EXPECT_EQ("Ungültige Resource-ID 2", ErrorOf([&] { a.SetID(2); }));
  EXPECT_EQ("Ungültige Resource-ID 1", ErrorOf([&] { a.SetID(1); }));
  EXPECT_EQ("Ungültiger Resource-Name b", ErrorOf([&] { a.SetName("b"); }));
  EXPECT_EQ("Ungültiger Resource-Name a", ErrorOf([&] { a.SetName("a"); }));
  EXPECT_EQ("(no error)", ErrorOf([&] { a.SetName("A"); })) << "names compare case-sensitively";
  EXPECT_EQ("Ungültige Resource-ID -3", ErrorOf([&] { r.Add(nullptr, -3, "c"); r.Add(nullptr, -3, "d"); }));
  EXPECT_EQ(3, r.Count());
  EXPECT_EQ(0, r.Items(0).Stream().Size()) << "no source: an empty resource";
}

TEST(ContainerLoad, DuplicateInContainerStopsAtThatEntry) {
  BytesFile ids(kImage + ContainerOf({{1, "a", "x"}, {2, "b", "y"}, {1, "c", "z"}, {4, "d", "w"}}));
  TExtraResManager manager(nullptr);
  EXPECT_EQ("Ungültige Resource-ID 1", ErrorOf([&] { manager.LoadFromFile(ids.Name(), true); }));
  EXPECT_EQ(2, manager.Resources().Count());
  EXPECT_FALSE(manager.Resources().ReadOnly());

  BytesFile names(kImage + ContainerOf({{1, "a", "x"}, {2, "a", "y"}}));
  EXPECT_EQ("Ungültiger Resource-Name a", ErrorOf([&] { manager.LoadFromFile(names.Name(), false); }));
  EXPECT_EQ(1, manager.Resources().Count());
}

TEST(ContainerLoad, EntriesWhoseSizesLieAreRefused) {
  const std::string count2 = std::string("\x02\x00", 2);
  const struct {
    const char* what;
    std::string body;
  } cases[] = {
      {"negative size", count2 + EntryBytes(-1, 1, "a", "") + EntryBytes(0, 2, "b", "")},
      {"size past the trailer", count2 + EntryBytes(1, 1, "a", "x") + EntryBytes(100, 2, "b", "yy")},
      {"size one too large", count2 + EntryBytes(1, 1, "a", "x") + EntryBytes(3, 2, "b", "yy")},
      {"huge size", count2 + EntryBytes(0x7FFFFFFF, 1, "a", "x") + EntryBytes(0, 2, "b", "")},
      {"name past the trailer", count2 + EntryBytes(1, 1, "a", "x") + Int32Bytes(0) + Int32Bytes(2) + "\xFF" + "ab"},
      {"count larger than the entries", std::string("\x05\x00", 2) + EntryBytes(1, 1, "a", "x")},
      {"header cut", count2 + EntryBytes(1, 1, "a", "x") + std::string(5, '\0')},
  };
  for (const auto& c : cases) {
    BytesFile file(kImage + RawContainer(c.body));
    ASSERT_TRUE(TExtraResManager::HasExtraResources(file.Name())) << c.what;
    for (bool readOnly : {true, false}) {
      TExtraResManager manager(nullptr);
      manager.TempOptions().SetUseTempFiles(false);
      const std::string error = ErrorOf([&] { manager.LoadFromFile(file.Name(), readOnly); });
      EXPECT_NE(std::string::npos, error.find("is damaged")) << c.what << ": " << error;
    }
  }
  // The exact fit is fine, and bytes left over before the trailer are ignored.
  BytesFile exact(kImage + RawContainer(count2 + EntryBytes(1, 1, "a", "x") + EntryBytes(2, 2, "b", "yy")));
  BytesFile spare(kImage + RawContainer(count2 + EntryBytes(1, 1, "a", "x") + EntryBytes(2, 2, "b", "yy") + "pad"));
  for (const BytesFile* f : {&exact, &spare}) {
    TExtraResManager manager(nullptr);
    manager.LoadFromFile(f->Name(), true);
    EXPECT_EQ("yy", ReadAll(manager.Resources().Items(1).Stream()));
  }
}

TEST(ContainerLoad, StorageSwitchMovesBytesBetweenMemoryAndFiles) {
  BytesFile file(kImage + ContainerOf({{1, "a", Binary(5000)}, {2, "b", ""}}));
  TExtraResManager manager(nullptr);
  manager.TempOptions().SetTempFolder(TempDir());
  manager.TempOptions().SetUseTempFiles(false);
  manager.LoadFromFile(file.Name(), false);
  auto& r = manager.Resources();
  EXPECT_TRUE(r.Items(0).TempFileName().empty());

  manager.TempOptions().SetUseTempFiles(true);
  const std::string temp = r.Items(0).TempFileName();
  ASSERT_FALSE(temp.empty());
  EXPECT_TRUE(rtl::FileExists(temp));
  EXPECT_EQ(Binary(5000), ReadAll(r.Items(0).Stream()));
  EXPECT_EQ("", ReadAll(r.Items(1).Stream()));

  manager.TempOptions().SetUseTempFiles(false);
  EXPECT_FALSE(rtl::FileExists(temp)) << "deleted when the bytes went back to memory";
  EXPECT_TRUE(r.Items(0).TempFileName().empty());
  EXPECT_EQ(Binary(5000), ReadAll(r.Items(0).Stream()));

  manager.TempOptions().SetUseTempFiles(true);
  const std::string again = r.Items(0).TempFileName();
  r.Clear();
  EXPECT_FALSE(rtl::FileExists(again)) << "deleted with its resource";
}

TEST(ContainerLoad, FailedReloadKeepsTheEarlierLoadReadable) {
  BytesFile good(kImage + ContainerOf({{1, "a", "payload"}}));
  BytesFile bad(kImage);
  TExtraResManager manager(nullptr);
  manager.LoadFromFile(good.Name(), true);
  EXPECT_THROW(manager.LoadFromFile(bad.Name(), true), EExtraResError);
  ASSERT_EQ(1, manager.Resources().Count());
  EXPECT_EQ("payload", ReadAll(manager.Resources().Items(0).Stream()));
  // A good reload replaces everything.
  manager.LoadFromFile(good.Name(), true);
  EXPECT_EQ(1, manager.Resources().Count());
}

TEST(ContainerLoad, ManagerBelongsToItsOwner) {
  auto* owner = new rtl::TComponent(nullptr);
  auto* manager = new TExtraResManager(owner);
  EXPECT_EQ(owner, manager->Owner());
  EXPECT_EQ(1, owner->ComponentCount());
  delete owner;  // takes the manager along; sanitizers catch a leak or a double free
}
