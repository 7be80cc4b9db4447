#pragma once
// Registry access in the manner of the UI library's TRegistry: one root key,
// one open key at a time, typed reads that raise on a wrong type.

#include <windows.h>

#include <string>

#include "rtl/core/Exceptions.h"
#include "rtl/win32/Handles.h"

namespace rtl {

class ERegistryException : public Exception {
  using Exception::Exception;
};

class TRegistry {
public:
  // Access as for RegCreateKeyEx / RegOpenKeyEx.
  explicit TRegistry(REGSAM access = KEY_ALL_ACCESS) : FAccess(access) {}

  HKEY RootKey() const { return FRootKey; }
  void SetRootKey(HKEY root);

  // Opens Key below the root, creating it when CanCreate. False when it can't.
  bool OpenKey(const std::string& key, bool canCreate);
  bool OpenKeyReadOnly(const std::string& key);
  void CloseKey() { FCurrentKey.Reset(); }
  bool KeyExists(const std::string& key);
  bool DeleteKey(const std::string& key);

  bool ValueExists(const std::string& name);
  bool DeleteValue(const std::string& name);

  // A missing value reads as empty text; a value of another type raises
  // ERegistryException "Invalid data type for '<name>'".
  std::string ReadString(const std::string& name);
  // The same without raising: false, and Value empty, for a value that is
  // missing, of another type or unreadable.
  bool TryReadString(const std::string& name, std::string& value);
  void WriteString(const std::string& name, const std::string& value);
  // A missing value or one of another type raises ERegistryException.
  int ReadInteger(const std::string& name);
  void WriteInteger(const std::string& name, int value);
  bool ReadBool(const std::string& name) { return ReadInteger(name) != 0; }
  void WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

private:
  HKEY Current() const;
  enum class StringRead { Read, Missing, WrongType, Failed };
  StringRead QueryString(const std::string& name, std::string& value);

  REGSAM FAccess;
  HKEY FRootKey = HKEY_CURRENT_USER;
  RegKey FCurrentKey;
};

}  // namespace rtl
