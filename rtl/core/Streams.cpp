#include "rtl/core/Streams.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "rtl/core/Exceptions.h"
#include "rtl/core/SysUtils.h"

namespace rtl {

namespace {
constexpr std::int32_t kCopyBlock = 64 * 1024;
constexpr const char* kWriteError = "Stream-Schreibfehler";
}  // namespace

const char kStreamReadError[] = "Stream-Lesefehler";

std::string FileCreateErrorText(const std::string& fileName, int error) {
  return Format("Datei \"%s\" kann nicht erstellt werden. %s", fileName.c_str(), FileErrorText(error).c_str());
}

std::int64_t TStream::Size() {
  const std::int64_t here = Seek(0, SeekOrigin::Current);
  const std::int64_t end = Seek(0, SeekOrigin::End);
  Seek(here, SeekOrigin::Beginning);
  return end;
}

void TStream::SetSize(std::int64_t) {
  rtl::Raise(EStreamError("Stream size cannot be changed"));
}

void TStream::ReadBuffer(void* buffer, std::int32_t count) {
  if (count > 0 && Read(buffer, count) != count) rtl::Raise(EReadError(kStreamReadError));
}

void TStream::WriteBuffer(const void* buffer, std::int32_t count) {
  if (count > 0 && Write(buffer, count) != count) rtl::Raise(EWriteError(kWriteError));
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  std::vector<unsigned char> block(static_cast<size_t>(
      std::min<std::int64_t>(std::max<std::int64_t>(count, 1), kCopyBlock)));
  std::int64_t copied = 0;
  while (copied < count) {
    const auto n = static_cast<std::int32_t>(
        std::min<std::int64_t>(count - copied, static_cast<std::int64_t>(block.size())));
    source.ReadBuffer(block.data(), n);
    WriteBuffer(block.data(), n);
    copied += n;
  }
  return copied;
}

// ---------------------------------------------------------------- memory

std::int32_t TMemoryStream::Read(void* buffer, std::int32_t count) {
  const auto size = static_cast<std::int64_t>(FData.size());
  if (count <= 0 || FPosition < 0 || FPosition >= size) return 0;
  const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(count, size - FPosition));
  std::memcpy(buffer, FData.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

std::int32_t TMemoryStream::Write(const void* buffer, std::int32_t count) {
  if (count <= 0 || FPosition < 0) return 0;
  const std::int64_t end = FPosition + count;
  if (end > static_cast<std::int64_t>(FData.size())) FData.resize(static_cast<size_t>(end));
  std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
  FPosition = end;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
  switch (origin) {
    case SeekOrigin::Beginning: FPosition = offset; break;
    case SeekOrigin::Current: FPosition += offset; break;
    case SeekOrigin::End: FPosition = static_cast<std::int64_t>(FData.size()) + offset; break;
  }
  return FPosition;
}

void TMemoryStream::SetSize(std::int64_t size) {
  if (size < 0 || static_cast<std::uint64_t>(size) > FData.max_size())
    rtl::Raise(EStreamError("Out of memory while expanding memory stream"));
  FData.resize(static_cast<size_t>(size));
  if (FPosition > size) FPosition = size;
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FPosition = 0;
}

// ---------------------------------------------------------------- handle

std::int32_t THandleStream::Read(void* buffer, std::int32_t count) {
  const std::int32_t n = FileRead(FHandle, buffer, count);
  return n < 0 ? 0 : n;
}

std::int32_t THandleStream::Write(const void* buffer, std::int32_t count) {
  const std::int32_t n = FileWrite(FHandle, buffer, count);
  return n < 0 ? 0 : n;
}

std::int64_t THandleStream::Seek(std::int64_t offset, SeekOrigin origin) {
  return FileSeek(FHandle, offset, origin);
}

std::int64_t THandleStream::Size() {
  const std::int64_t size = FileSize(FHandle);
  return size < 0 ? TStream::Size() : size;
}

void THandleStream::SetSize(std::int64_t size) {
  Seek(size, SeekOrigin::Beginning);
  if (!FileTruncateHere(FHandle)) {
    const int error = LastFileError();
    rtl::Raise(EStreamError(FileErrorText(error)));
  }
}

// ---------------------------------------------------------------- file

namespace {
NativeFile OpenFor(const std::string& name, FileStreamMode mode) {
  NativeFile file = InvalidFile;
  switch (mode) {
    case FileStreamMode::Create:
      file = FileCreate(name);
      if (file == InvalidFile)
        rtl::Raise(EFCreateError(FileCreateErrorText(name, LastFileError())));
      return file;
    case FileStreamMode::OpenRead: file = FileOpen(name, FileAccess::Read); break;
    case FileStreamMode::OpenWrite: file = FileOpen(name, FileAccess::Write); break;
    case FileStreamMode::OpenReadWrite: file = FileOpen(name, FileAccess::ReadWrite); break;
  }
  if (file == InvalidFile)
    rtl::Raise(EFOpenError(Format("Datei \"%s\" kann nicht geöffnet werden. %s", name.c_str(),
                                  FileErrorText(LastFileError()).c_str())));
  return file;
}
}  // namespace

TFileStream::TFileStream(const std::string& fileName, FileStreamMode mode)
    : THandleStream(OpenFor(fileName, mode)), FFileName(fileName) {}

TFileStream::~TFileStream() { FileClose(Handle()); }

}  // namespace rtl
