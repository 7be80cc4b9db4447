#include "setup/core/ExtraResManager.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "rtl/core/Paths.h"
#include "setup/core/Digest.h"
#include "setup/core/Sha1.h"
#include "setup/core/StringFormat.h"

namespace {

const char kReadOnlyError[] = "This ExtraResource is ReadOnly";

std::string PlatformError() { return rtl::FileErrorText(rtl::LastFileError()); }

[[noreturn]] void RaisePlatformError() { rtl::Raise(EExtraResError(PlatformError())); }

std::int32_t Int32LE(const unsigned char* p) {
  return static_cast<std::int32_t>(std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) |
                                   (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24));
}

// Others may read the file meanwhile. A load also keeps them from writing
// it: its windows read the bytes that the check hashed, not whatever
// another program put there since.
rtl::NativeFile OpenForCheck(const std::string& fileName, bool locked, std::string& error) {
  // An empty name would open nothing useful on any platform; refuse it
  // before the system is asked.
  if (fileName.empty()) {
    error = "No file name given";
    return rtl::InvalidFile;
  }
  const rtl::NativeFile file =
      locked ? rtl::FileOpenReadLocked(fileName) : rtl::FileOpen(fileName, rtl::FileAccess::Read);
  if (file == rtl::InvalidFile) error = PlatformError();
  return file;
}

// The check of HasExtraResources on an open file.
bool CheckContainer(rtl::NativeFile file, TExtraResInfo* info) {
  const std::int64_t fileSize = rtl::FileSize(file);
  if (fileSize < kExtraResMinimumSize) return false;

  unsigned char tail[kExtraResTrailerSize];
  if (!rtl::FileReadExactAt(file, fileSize - kExtraResTrailerSize, tail, kExtraResTrailerSize)) return false;
  const std::int32_t n = Int32LE(tail + kExtraResDigestSize);
  // The size must describe a container that fits into the file.
  if (n < kExtraResMinimumSize || n > fileSize) return false;
  const std::int64_t start = fileSize - n;

  char header[kExtraResDigestSize];
  if (!rtl::FileReadExactAt(file, start, header, kExtraResDigestSize)) return false;
  if (std::memcmp(header, tail, kExtraResDigestSize) != 0) return false;

  // A file that ends before the range (cut short meanwhile) or cannot be
  // read has no digest and fails the check like a wrong one.
  const std::optional<std::string> digest =
      DigestOfFile(&THash_SHA1::Create, file, start + kExtraResDigestSize,
                   n - kExtraResDigestSize - kExtraResTrailerSize, kFormatHex);
  if (!digest || digest->size() != kExtraResDigestSize ||
      std::memcmp(digest->data(), header, kExtraResDigestSize) != 0)
    return false;

  if (info) {
    unsigned char count[kExtraResCountSize];
    if (!rtl::FileReadExactAt(file, start + kExtraResDigestSize, count, kExtraResCountSize)) return false;
    info->ContainerSize = n;
    info->Digest = *digest;
    info->Count = static_cast<std::uint16_t>(count[0] | (count[1] << 8));
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------- window

TReadOnlyStream::TReadOnlyStream(rtl::NativeFile handle, std::int64_t windowStart,
                                 std::int64_t windowEnd)
    : FInner(handle), FWindowStart(windowStart), FWindowEnd(std::max(windowStart, windowEnd)) {}

std::int32_t TReadOnlyStream::Read(void* buffer, std::int32_t count) {
  const std::int64_t here = FInner.Seek(0, rtl::SeekOrigin::Current);
  // Outside the window (another window moved the shared position) nothing
  // is read rather than bytes of a neighbour.
  if (count <= 0 || here < FWindowStart || here >= FWindowEnd) return 0;
  const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(count, FWindowEnd - here));
  return FInner.Read(buffer, n);
}

std::int32_t TReadOnlyStream::Write(const void*, std::int32_t) {
  rtl::Raise(rtl::EStreamError(
      "In einen zum Lesen geöffneten ExtraRessourcen-Stream kann nicht geschrieben werden"));
}

std::int64_t TReadOnlyStream::Seek(std::int64_t offset, rtl::SeekOrigin origin) {
  std::int64_t target;
  switch (origin) {
    case rtl::SeekOrigin::Beginning: target = FWindowStart + offset; break;
    case rtl::SeekOrigin::Current: target = FInner.Seek(0, rtl::SeekOrigin::Current) + offset; break;
    case rtl::SeekOrigin::End: target = FWindowEnd + offset; break;
    default: return -1;
  }
  target = std::clamp(target, FWindowStart, FWindowEnd);
  FInner.Seek(target, rtl::SeekOrigin::Beginning);
  return target - FWindowStart;
}

// ---------------------------------------------------------------- options

TTempOptions::TTempOptions(TExtraResManager* manager)
    : FManager(manager), FTempFolder(rtl::ExtractFilePath(rtl::ExecutablePath())) {}

void TTempOptions::SetUseTempFiles(bool value) {
  if (value == FUseTempFiles) return;
  FManager->Resources().SwitchStorage(value);
  FUseTempFiles = value;
}

// ---------------------------------------------------------------- resource

TExtraResource::~TExtraResource() { ReleaseStorage(); }

void TExtraResource::ReleaseStorage() {
  FStream.reset();
  FTempFile.Reset();
  if (!FTempFileName.empty()) rtl::FileDelete(FTempFileName);
  FTempFileName.clear();
}

void TExtraResource::SetID(std::int32_t value) {
  FOwner->CheckWritable();
  FOwner->CheckID(value);
  FID = value;
}

void TExtraResource::SetName(const std::string& value) {
  FOwner->CheckWritable();
  const std::string name = value.substr(0, 255);
  FOwner->CheckName(name);
  FName = name;
}

// ---------------------------------------------------------------- collection

TExtraResources::~TExtraResources() {
  FReadOnly = false;
  Clear();
}

void TExtraResources::CheckWritable() const {
  if (FReadOnly) rtl::Raise(EExtraResError(kReadOnlyError));
}

std::string TExtraResources::IDProblem(std::int32_t id) const {
  for (const auto& item : FItems)
    if (item->FID == id) return "Ungültige Resource-ID " + std::to_string(id);
  return std::string();
}

std::string TExtraResources::NameProblem(const std::string& name) const {
  for (const auto& item : FItems)
    if (item->FName == name) return "Ungültiger Resource-Name " + name;
  return std::string();
}

void TExtraResources::CheckID(std::int32_t id) const {
  const std::string problem = IDProblem(id);
  if (!problem.empty()) rtl::Raise(EExtraResError(problem));
}

void TExtraResources::CheckName(const std::string& name) const {
  const std::string problem = NameProblem(name);
  if (!problem.empty()) rtl::Raise(EExtraResError(problem));
}

void TExtraResources::Clear() {
  CheckWritable();
  // Front to back, as the resources were added.
  for (auto& item : FItems) item.reset();
  FItems.clear();
}

void TExtraResources::OpenTempStorage(TExtraResource& resource) {
  resource.FTempFileName = rtl::NewTempFileName(FManager->TempOptions().TempFolder(), "$ER");
  if (resource.FTempFileName.empty()) RaisePlatformError();
  resource.FTempFile.Reset(rtl::FileOpenTemporary(resource.FTempFileName));
  if (!resource.FTempFile.Valid()) RaisePlatformError();
}

TExtraResource& TExtraResources::Add(rtl::TStream* source, std::int32_t id,
                                     const std::string& name) {
  CheckWritable();
  std::unique_ptr<TExtraResource> resource(new TExtraResource(this));
  resource->SetID(id);
  resource->SetName(name);
  if (FManager->TempOptions().UseTempFiles()) {
    OpenTempStorage(*resource);
    resource->FStream = std::make_unique<rtl::THandleStream>(resource->FTempFile.Get());
  } else {
    auto memory = std::make_unique<rtl::TMemoryStream>();
    if (source) {
      memory->SetSize(source->Size());
      memory->SetPosition(0);
    }
    resource->FStream = std::move(memory);
  }
  if (source) {
    if (source->Size() > 0) resource->FStream->CopyFrom(*source, 0);
    resource->FStream->SetPosition(0);
  }
  FItems.push_back(std::move(resource));
  return *FItems.back();
}

void TExtraResources::AddReadOnly(std::unique_ptr<rtl::TStream> window, std::int32_t id, const std::string& name) {
  std::unique_ptr<TExtraResource> resource(new TExtraResource(this));
  resource->FID = id;
  resource->FName = name;
  resource->FStream = std::move(window);
  FItems.push_back(std::move(resource));
}

void TExtraResources::SwitchStorage(bool toTempFiles) {
  FReadOnly = false;
  for (auto& item : FItems) {
    TExtraResource& r = *item;
    if (toTempFiles) {
      rtl::FileHandle previousFile(r.FTempFile.Release());
      OpenTempStorage(r);
      auto file = std::make_unique<rtl::THandleStream>(r.FTempFile.Get());
      if (r.FStream->Size() > 0) file->CopyFrom(*r.FStream, 0);
      file->SetPosition(0);
      r.FStream = std::move(file);
    } else {
      auto memory = std::make_unique<rtl::TMemoryStream>();
      memory->SetSize(r.FStream->Size());
      memory->SetPosition(0);
      if (r.FStream->Size() > 0) memory->CopyFrom(*r.FStream, 0);
      memory->SetPosition(0);
      r.FStream = std::move(memory);
      r.FTempFile.Reset();
      if (!r.FTempFileName.empty()) rtl::FileDelete(r.FTempFileName);
      r.FTempFileName.clear();
    }
  }
}

// ---------------------------------------------------------------- manager

TExtraResManager::TExtraResManager(rtl::TComponent* owner)
    : rtl::TComponent(owner), FTempOptions(this), FResources(this) {}

TExtraResManager::~TExtraResManager() = default;

bool TExtraResManager::HasExtraResources(const std::string& fileName, TExtraResInfo* info) {
  std::string error;
  rtl::FileHandle file(OpenForCheck(fileName, false, error));
  if (!file.Valid()) rtl::Raise(EExtraResError(error));
  return CheckContainer(file.Get(), info);
}

void TExtraResManager::LoadFromFile(const std::string& fileName, bool readOnly) {
  std::string error;
  if (!Load(fileName, readOnly, error)) rtl::Raise(EExtraResError(error));
}

bool TExtraResManager::Load(const std::string& fileName, bool readOnly, std::string& error) {
  // The earlier load's handle stays open until the new file has passed its
  // check and is open: a failed reload leaves the earlier windows readable
  // instead of pointing at a closed (and perhaps reused) handle. The check
  // and the entries go through one handle: opened twice by name, the file
  // could be exchanged in between, and entries would be read from a file
  // that no check has seen.
  rtl::FileHandle opened(OpenForCheck(fileName, true, error));
  if (!opened.Valid()) return false;
  TExtraResInfo info;
  if (!CheckContainer(opened.Get(), &info)) {
    error = kNoExtraResources;
    return false;
  }
  FResources.FReadOnly = false;
  FResources.Clear();
  FFileHandle = std::move(opened);
  if (readOnly) FTempOptions.FUseTempFiles = false;

  const rtl::NativeFile file = FFileHandle.Get();
  const std::int64_t fileSize = rtl::FileSize(file);
  const std::int64_t start = fileSize - info.ContainerSize;
  const std::int64_t entriesEnd = fileSize - kExtraResTrailerSize;
  std::int64_t at = start + kExtraResHeadSize;

  for (int index = 0; index < info.Count; ++index) {
    // The digest only proves the container is as it was written; sizes that
    // reach past the entries are refused instead of being followed.
    const std::string damaged = "ExtraResources entry " + std::to_string(index) + " is damaged";
    unsigned char head[kExtraResEntryHeadSize];
    if (entriesEnd - at < kExtraResEntryHeadSize || !rtl::FileReadExactAt(file, at, head, kExtraResEntryHeadSize)) {
      error = damaged;
      return false;
    }
    const std::int32_t size = Int32LE(head);
    const std::int32_t id = Int32LE(head + 4);
    const int nameLength = head[8];
    at += kExtraResEntryHeadSize;
    std::string name(static_cast<size_t>(nameLength), '\0');
    if (entriesEnd - at < nameLength ||
        (nameLength > 0 && !rtl::FileReadExactAt(file, at, &name[0], nameLength))) {
      error = damaged;
      return false;
    }
    at += nameLength;
    if (size < 0 || entriesEnd - at < size) {
      error = damaged;
      return false;
    }
    // A name or number that an earlier entry holds stops the load there,
    // with the entries before it in place.
    error = FResources.IDProblem(id);
    if (error.empty()) error = FResources.NameProblem(name);
    if (!error.empty()) return false;

    auto window = std::make_unique<TReadOnlyStream>(file, at, at + size);
    if (readOnly) {
      FResources.AddReadOnly(std::move(window), id, name);
    } else {
      FResources.Add(window.get(), id, name);
    }
    at += size;
  }
  FResources.FReadOnly = readOnly;
  FLoadedInfo = info;
  if (!readOnly) FFileHandle.Reset();
  return true;
}
