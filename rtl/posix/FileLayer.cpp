#include "rtl/core/FileLayer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace rtl {

namespace {
thread_local int gLastError = 0;

template <typename T>
T Fail(T value) {
  gLastError = errno;
  return value;
}

int Fd(NativeFile file) { return static_cast<int>(file); }
}  // namespace

NativeFile FileOpen(const std::string& name, FileAccess access) {
  int flags = O_CLOEXEC;
  switch (access) {
    case FileAccess::Read: flags |= O_RDONLY; break;
    case FileAccess::Write: flags |= O_WRONLY; break;
    case FileAccess::ReadWrite: flags |= O_RDWR; break;
  }
  const int fd = ::open(name.c_str(), flags);
  return fd < 0 ? Fail(InvalidFile) : fd;
}

NativeFile FileOpenReadLocked(const std::string& name) { return FileOpen(name, FileAccess::Read); }

NativeFile FileCreate(const std::string& name) {
  const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  return fd < 0 ? Fail(InvalidFile) : fd;
}

NativeFile FileCreateNew(const std::string& name) {
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  return fd < 0 ? Fail(InvalidFile) : fd;
}

void FileClose(NativeFile file) noexcept {
  if (file != InvalidFile) ::close(Fd(file));
}

std::int32_t FileRead(NativeFile file, void* buffer, std::int32_t count) {
  if (count < 0) count = 0;
  ssize_t n;
  do n = ::read(Fd(file), buffer, static_cast<size_t>(count));
  while (n < 0 && errno == EINTR);
  return n < 0 ? Fail(-1) : static_cast<std::int32_t>(n);
}

std::int32_t FileWrite(NativeFile file, const void* buffer, std::int32_t count) {
  if (count < 0) count = 0;
  ssize_t n;
  do n = ::write(Fd(file), buffer, static_cast<size_t>(count));
  while (n < 0 && errno == EINTR);
  return n < 0 ? Fail(-1) : static_cast<std::int32_t>(n);
}

std::int32_t FileReadAt(NativeFile file, std::int64_t position, void* buffer,
                        std::int32_t count) {
  if (position < 0) {
    errno = EINVAL;
    return Fail(-1);
  }
  if (count < 0) count = 0;
  ssize_t n;
  do n = ::pread(Fd(file), buffer, static_cast<size_t>(count), static_cast<off_t>(position));
  while (n < 0 && errno == EINTR);
  return n < 0 ? Fail(-1) : static_cast<std::int32_t>(n);
}

std::int64_t FileSeek(NativeFile file, std::int64_t offset, SeekOrigin origin) {
  const int whence = origin == SeekOrigin::Beginning ? SEEK_SET
                     : origin == SeekOrigin::Current ? SEEK_CUR
                                                     : SEEK_END;
  const off_t pos = ::lseek(Fd(file), static_cast<off_t>(offset), whence);
  return pos < 0 ? Fail(std::int64_t{-1}) : static_cast<std::int64_t>(pos);
}

std::int64_t FileSize(NativeFile file) {
  struct stat st;
  if (::fstat(Fd(file), &st) != 0) return Fail(std::int64_t{-1});
  return static_cast<std::int64_t>(st.st_size);
}

bool FileTruncateHere(NativeFile file) {
  const off_t pos = ::lseek(Fd(file), 0, SEEK_CUR);
  if (pos < 0 || ::ftruncate(Fd(file), pos) != 0) return Fail(false);
  return true;
}

bool FileDelete(const std::string& name) {
  return ::unlink(name.c_str()) == 0 ? true : Fail(false);
}

bool FileExists(const std::string& name) {
  struct stat st;
  return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int LastFileError() { return gLastError; }

std::string FileErrorText(int error) { return std::strerror(error); }

}  // namespace rtl

namespace rtl {

NativeFile FileOpenTemporary(const std::string& name) {
  const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  return fd < 0 ? Fail(InvalidFile) : fd;
}

bool FileRename(const std::string& source, const std::string& target) {
  return ::rename(source.c_str(), target.c_str()) == 0 ? true : Fail(false);
}

bool DirectoryExists(const std::string& name) {
  struct stat st;
  return ::stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDir(const std::string& name) {
  return ::mkdir(name.c_str(), 0755) == 0 ? true : Fail(false);
}

std::string NewTempFileName(const std::string& folder, const std::string& prefix) {
  std::string base = folder;
  if (!base.empty() && base.back() != '/') base += '/';
  std::string pattern = base + prefix + "XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = ::mkstemp(buffer.data());
  if (fd < 0) return Fail(std::string());
  ::close(fd);
  return std::string(buffer.data());
}

std::string ExecutablePath() {
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

}  // namespace rtl

int rtl::DiskFullError() { return ENOSPC; }
