#include "rtl/core/FileLayer.h"

#include <windows.h>

namespace rtl {

namespace {
thread_local DWORD gLastError = 0;

template <typename T>
T Fail(T value) {
  gLastError = ::GetLastError();
  return value;
}

HANDLE H(NativeFile file) { return reinterpret_cast<HANDLE>(file); }
NativeFile N(HANDLE h) { return reinterpret_cast<NativeFile>(h); }
}  // namespace

NativeFile FileOpen(const std::string& name, FileAccess access) {
  DWORD desired = 0;
  DWORD share = FILE_SHARE_READ;
  switch (access) {
    case FileAccess::Read: desired = GENERIC_READ; share |= FILE_SHARE_WRITE; break;
    case FileAccess::Write: desired = GENERIC_WRITE; break;
    case FileAccess::ReadWrite: desired = GENERIC_READ | GENERIC_WRITE; break;
  }
  HANDLE h = ::CreateFileA(name.c_str(), desired, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? Fail(InvalidFile) : N(h);
}

NativeFile FileOpenReadLocked(const std::string& name) {
  HANDLE h = ::CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? Fail(InvalidFile) : N(h);
}

NativeFile FileCreate(const std::string& name) {
  HANDLE h = ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                           nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? Fail(InvalidFile) : N(h);
}

NativeFile FileCreateNew(const std::string& name) {
  HANDLE h = ::CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? Fail(InvalidFile) : N(h);
}

void FileClose(NativeFile file) noexcept {
  if (file != InvalidFile) ::CloseHandle(H(file));
}

std::int32_t FileRead(NativeFile file, void* buffer, std::int32_t count) {
  DWORD done = 0;
  if (count < 0) count = 0;
  if (!::ReadFile(H(file), buffer, static_cast<DWORD>(count), &done, nullptr)) return Fail(-1);
  return static_cast<std::int32_t>(done);
}

std::int32_t FileWrite(NativeFile file, const void* buffer, std::int32_t count) {
  DWORD done = 0;
  if (count < 0) count = 0;
  if (!::WriteFile(H(file), buffer, static_cast<DWORD>(count), &done, nullptr)) return Fail(-1);
  return static_cast<std::int32_t>(done);
}

std::int32_t FileReadAt(NativeFile file, std::int64_t position, void* buffer,
                        std::int32_t count) {
  if (position < 0) {
    gLastError = ERROR_NEGATIVE_SEEK;
    return -1;
  }
  if (count < 0) count = 0;
  // On a synchronous handle ReadFile with an offset also moves the file
  // pointer; callers of this function do not rely on it either way.
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(position) & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(position) >> 32);
  DWORD done = 0;
  if (!::ReadFile(H(file), buffer, static_cast<DWORD>(count), &done, &at)) {
    if (::GetLastError() == ERROR_HANDLE_EOF) return 0;
    return Fail(-1);
  }
  return static_cast<std::int32_t>(done);
}

std::int64_t FileSeek(NativeFile file, std::int64_t offset, SeekOrigin origin) {
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  LARGE_INTEGER result;
  const DWORD method = origin == SeekOrigin::Beginning ? FILE_BEGIN
                       : origin == SeekOrigin::Current ? FILE_CURRENT
                                                       : FILE_END;
  if (!::SetFilePointerEx(H(file), distance, &result, method)) return Fail(std::int64_t{-1});
  return result.QuadPart;
}

std::int64_t FileSize(NativeFile file) {
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(H(file), &size)) return Fail(std::int64_t{-1});
  return size.QuadPart;
}

bool FileTruncateHere(NativeFile file) {
  return ::SetEndOfFile(H(file)) ? true : Fail(false);
}

bool FileDelete(const std::string& name) {
  return ::DeleteFileA(name.c_str()) ? true : Fail(false);
}

bool FileExists(const std::string& name) {
  const DWORD attributes = ::GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int LastFileError() { return static_cast<int>(gLastError); }

std::string FileErrorText(int error) {
  char* text = nullptr;
  const DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string out = n && text ? std::string(text, n) : std::string();
  if (text) ::LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' '))
    out.pop_back();
  return out;
}

}  // namespace rtl

namespace rtl {

NativeFile FileOpenTemporary(const std::string& name) {
  HANDLE h = ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
  return h == INVALID_HANDLE_VALUE ? Fail(InvalidFile) : N(h);
}

bool FileRename(const std::string& source, const std::string& target) {
  return ::MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) ? true : Fail(false);
}

bool DirectoryExists(const std::string& name) {
  const DWORD attributes = ::GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDir(const std::string& name) {
  return ::CreateDirectoryA(name.c_str(), nullptr) ? true : Fail(false);
}

std::string NewTempFileName(const std::string& folder, const std::string& prefix) {
  char buffer[MAX_PATH] = {};
  if (!::GetTempFileNameA(folder.c_str(), prefix.c_str(), 0, buffer)) return Fail(std::string());
  return buffer;
}

std::string ExecutablePath() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  return std::string(buffer, n);
}

}  // namespace rtl

int rtl::DiskFullError() { return ERROR_DISK_FULL; }
