#pragma once
// Resource containers appended to a file: found from the file's end, checked
// with SHA-1, and offered entry by entry as numbered, named streams.
//
// Layout (little-endian, offsets from the container's first byte, N bytes):
//   0      40  header digest: SHA-1 of bytes 40 .. N-45, upper-case hex
//   40     2   entry count
//   42     ..  entries: size S (int32), id (int32), name length L (uint8),
//              L name bytes, S data bytes
//   N-44   40  trailer digest, the same text
//   N-4    4   N (int32)

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "rtl/core/Component.h"
#include "rtl/core/Exceptions.h"
#include "rtl/core/FileLayer.h"
#include "rtl/core/Streams.h"
#include "setup/core/ContainerLayout.h"

class EExtraResError : public rtl::Exception {
  using rtl::Exception::Exception;
};

// A read-only window [WindowStart, WindowEnd) onto a file handle that it
// shares with other windows, and so shares the file position with them.
class TReadOnlyStream : public rtl::TStream {
public:
  TReadOnlyStream(rtl::NativeFile handle, std::int64_t windowStart, std::int64_t windowEnd);

  std::int32_t Read(void* buffer, std::int32_t count) override;
  std::int32_t Write(const void* buffer, std::int32_t count) override;
  std::int64_t Seek(std::int64_t offset, rtl::SeekOrigin origin) override;
  std::int64_t Size() override { return FWindowEnd - FWindowStart; }

  std::int64_t WindowStart() const { return FWindowStart; }
  std::int64_t WindowEnd() const { return FWindowEnd; }

private:
  rtl::THandleStream FInner;  // borrows the handle; does not close it
  std::int64_t FWindowStart;
  std::int64_t FWindowEnd;
};

struct TExtraResInfo {
  std::int32_t ContainerSize = 0;
  std::uint16_t Count = 0;
  std::string Digest;
};

class TExtraResManager;
class TExtraResources;

class TTempOptions : public rtl::TPersistent {
public:
  explicit TTempOptions(TExtraResManager* manager);
  bool UseTempFiles() const { return FUseTempFiles; }
  // Moves every resource's bytes between memory and temporary files when the
  // value changes.
  void SetUseTempFiles(bool value);
  const std::string& TempFolder() const { return FTempFolder; }
  // Only where later temporary files go; existing ones stay.
  void SetTempFolder(const std::string& value) { FTempFolder = value; }

private:
  friend class TExtraResManager;
  TExtraResManager* FManager;
  bool FUseTempFiles = true;
  std::string FTempFolder;
};

class TExtraResource {
public:
  ~TExtraResource();
  TExtraResource(const TExtraResource&) = delete;
  TExtraResource& operator=(const TExtraResource&) = delete;

  std::int32_t ID() const { return FID; }
  // Refused in a read-only collection, and when any resource of the
  // collection (this one included) already has the number.
  void SetID(std::int32_t value);
  const std::string& Name() const { return FName; }
  // Refused likewise for a name already present (exact bytes). Longer
  // names are cut to 255 characters, the most a container holds.
  void SetName(const std::string& value);
  rtl::TStream& Stream() const { return *FStream; }
  const std::string& TempFileName() const { return FTempFileName; }

private:
  friend class TExtraResources;
  explicit TExtraResource(TExtraResources* owner) : FOwner(owner) {}
  void ReleaseStorage();

  TExtraResources* FOwner;
  std::int32_t FID = 0;
  std::string FName;
  std::unique_ptr<rtl::TStream> FStream;
  std::string FTempFileName;
  rtl::FileHandle FTempFile;
};

class TExtraResources {
public:
  explicit TExtraResources(TExtraResManager* manager) : FManager(manager) {}
  ~TExtraResources();
  TExtraResources(const TExtraResources&) = delete;
  TExtraResources& operator=(const TExtraResources&) = delete;

  int Count() const { return static_cast<int>(FItems.size()); }
  TExtraResource& Items(int index) const { return *FItems.at(static_cast<size_t>(index)); }
  bool ReadOnly() const { return FReadOnly; }

  void Clear();
  // A new resource with its own copy of all of Source (from its start);
  // Source may be null for an empty resource.
  TExtraResource& Add(rtl::TStream* source, std::int32_t id, const std::string& name);

private:
  // A new resource that takes Window itself as its stream; the load has
  // found its number and name free.
  void AddReadOnly(std::unique_ptr<rtl::TStream> window, std::int32_t id, const std::string& name);
  friend class TExtraResManager;
  friend class TExtraResource;
  friend class TTempOptions;
  void CheckWritable() const;
  // The message for a number or name that a resource already has; empty
  // when it is free.
  std::string IDProblem(std::int32_t id) const;
  std::string NameProblem(const std::string& name) const;
  void CheckID(std::int32_t id) const;
  void CheckName(const std::string& name) const;
  void SwitchStorage(bool toTempFiles);
  void OpenTempStorage(TExtraResource& resource);

  TExtraResManager* FManager;
  std::vector<std::unique_ptr<TExtraResource>> FItems;
  bool FReadOnly = false;
};

class TExtraResManager : public rtl::TComponent {
public:
  explicit TExtraResManager(rtl::TComponent* owner);
  ~TExtraResManager() override;

  // True when FileName ends with a valid container; Info, when given, is
  // filled on success only. A file that cannot be opened raises.
  static bool HasExtraResources(const std::string& fileName, TExtraResInfo* info = nullptr);

  // Replaces Resources with the entries of FileName. Read-only: each entry
  // is a window onto the file, which stays open until the next load, and
  // which other programs cannot write meanwhile (on Windows).
  void LoadFromFile(const std::string& fileName, bool readOnly);
  // The same without raising: false, with the message in Error, where
  // LoadFromFile raises EExtraResError.
  bool Load(const std::string& fileName, bool readOnly, std::string& error);

  // What the check of the last successful load found.
  const TExtraResInfo& LoadedInfo() const { return FLoadedInfo; }

  TTempOptions& TempOptions() { return FTempOptions; }
  TExtraResources& Resources() { return FResources; }
  rtl::NativeFile FileHandle() const { return FFileHandle.Get(); }

private:
  TTempOptions FTempOptions;
  TExtraResources FResources;
  rtl::FileHandle FFileHandle;
  TExtraResInfo FLoadedInfo;
};

// The message of LoadFromFile for a file without a valid container.
constexpr const char* kNoExtraResources = "File doesn't contain ExtraResources";
