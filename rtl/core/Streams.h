#pragma once
// Byte streams: the abstract stream, a memory stream and a stream over an
// open file handle. Positions and sizes are 64-bit; one transfer moves at most
// 2^31-1 bytes.

#include <cstdint>
#include <string>
#include <vector>

#include "rtl/core/FileLayer.h"

namespace rtl {

// The stream library's messages, for those who report the same failures
// without raising: a read that gets fewer bytes than asked, and a file that
// cannot be created, with the platform's reason for Error.
extern const char kStreamReadError[];
std::string FileCreateErrorText(const std::string& fileName, int error);

class TStream {
public:
  virtual ~TStream() = default;
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  // Up to Count bytes; fewer at the end of the stream; 0 at its end.
  virtual std::int32_t Read(void* buffer, std::int32_t count) = 0;
  virtual std::int32_t Write(const void* buffer, std::int32_t count) = 0;
  // New position; seeking before the start is refused where the medium
  // refuses it (a file) and clamped nowhere.
  virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;

  std::int64_t Position() { return Seek(0, SeekOrigin::Current); }
  void SetPosition(std::int64_t position) { Seek(position, SeekOrigin::Beginning); }
  virtual std::int64_t Size();
  virtual void SetSize(std::int64_t size);

  // Exactly Count bytes or EReadError / EWriteError.
  void ReadBuffer(void* buffer, std::int32_t count);
  void WriteBuffer(const void* buffer, std::int32_t count);

  // Copies Count bytes from Source's position; a Count of 0 copies all of
  // Source from its start. Returns the number of bytes copied.
  std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

class TMemoryStream : public TStream {
public:
  std::int32_t Read(void* buffer, std::int32_t count) override;
  std::int32_t Write(const void* buffer, std::int32_t count) override;
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(FData.size()); }
  void SetSize(std::int64_t size) override;
  void Clear();

  const unsigned char* Memory() const { return FData.data(); }
  std::string ToString() const { return std::string(FData.begin(), FData.end()); }

private:
  std::vector<unsigned char> FData;
  std::int64_t FPosition = 0;
};

// Works on a handle it does not own: the caller closes it.
class THandleStream : public TStream {
public:
  explicit THandleStream(NativeFile handle) : FHandle(handle) {}
  NativeFile Handle() const { return FHandle; }

  std::int32_t Read(void* buffer, std::int32_t count) override;
  std::int32_t Write(const void* buffer, std::int32_t count) override;
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t Size() override;
  void SetSize(std::int64_t size) override;

private:
  NativeFile FHandle;
};

enum class FileStreamMode { Create, OpenRead, OpenWrite, OpenReadWrite };

// A handle stream that opens a file by name and owns the handle. Failures
// raise EFCreateError or EFOpenError with the file name and the reason.
class TFileStream : public THandleStream {
public:
  TFileStream(const std::string& fileName, FileStreamMode mode);
  ~TFileStream() override;
  const std::string& FileName() const { return FFileName; }

private:
  std::string FFileName;
};

}  // namespace rtl
