#pragma once
// The file access that portable code needs. One implementation sits on Win32
// handles (rtl/win32), one on POSIX descriptors (rtl/posix); portable code sees
// only this header, so it runs natively under the sanitizers as well.

#include <cstdint>
#include <string>

#include "rtl/core/UniqueHandle.h"

namespace rtl {

// A Win32 HANDLE or a POSIX descriptor. Both invalid values are -1.
using NativeFile = std::intptr_t;
constexpr NativeFile InvalidFile = -1;

enum class FileAccess { Read, Write, ReadWrite };
enum class SeekOrigin { Beginning = 0, Current = 1, End = 2 };

// Opens an existing file; others may read it meanwhile (and write it unless
// Access asks for writing). InvalidFile on failure, reason in LastFileError().
NativeFile FileOpen(const std::string& name, FileAccess access);
// Opens an existing file for reading that, while this handle is open, others
// may read (and run) but neither write, rename nor delete. POSIX has no such
// lock; there it is a plain read open.
NativeFile FileOpenReadLocked(const std::string& name);
// Creates or truncates a file for reading and writing.
NativeFile FileCreate(const std::string& name);
// Creates a file for writing that must not exist yet; fails when it does.
NativeFile FileCreateNew(const std::string& name);
void FileClose(NativeFile file) noexcept;

// Bytes read or written, or -1 on failure.
std::int32_t FileRead(NativeFile file, void* buffer, std::int32_t count);
std::int32_t FileWrite(NativeFile file, const void* buffer, std::int32_t count);
// Reads at an absolute position without moving the file position.
std::int32_t FileReadAt(NativeFile file, std::int64_t position, void* buffer,
                        std::int32_t count);
// Reads exactly Count bytes at Position, or returns false.
inline bool FileReadExactAt(NativeFile file, std::int64_t position, void* buffer, std::int32_t count) {
  auto* out = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    const std::int32_t got = FileReadAt(file, position, out, count);
    if (got <= 0) return false;
    out += got;
    position += got;
    count -= got;
  }
  return true;
}
// New position, or -1 on failure.
std::int64_t FileSeek(NativeFile file, std::int64_t offset, SeekOrigin origin);
// Size in bytes, or -1 on failure.
std::int64_t FileSize(NativeFile file);
// Cuts or extends the file at its current position.
bool FileTruncateHere(NativeFile file);

// Opens or creates a scratch file for reading and writing; others may read.
NativeFile FileOpenTemporary(const std::string& name);

bool FileDelete(const std::string& name);
bool FileExists(const std::string& name);
// Replaces Target by Source (same folder), or fails leaving Target as it was.
bool FileRename(const std::string& source, const std::string& target);

bool DirectoryExists(const std::string& name);
bool CreateDir(const std::string& name);

// A new, empty, uniquely named file in Folder (which ends with a separator
// or not) whose name starts with Prefix. Empty text on failure.
std::string NewTempFileName(const std::string& folder, const std::string& prefix);

// Full file name of the running program.
std::string ExecutablePath();

// The platform's error number of the last failed call above.
int LastFileError();
// The platform's error number for a full disk.
int DiskFullError();
std::string FileErrorText(int error);

struct NativeFileTraits {
  using Type = NativeFile;
  static Type Invalid() noexcept { return InvalidFile; }
  static void Close(Type file) noexcept { FileClose(file); }
};
// Owns a NativeFile and closes it.
using FileHandle = UniqueHandle<NativeFileTraits>;

}  // namespace rtl
