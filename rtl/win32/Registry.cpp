#include "rtl/win32/Registry.h"

#include <vector>

namespace rtl {

void TRegistry::SetRootKey(HKEY root) {
  CloseKey();
  FRootKey = root;
}

HKEY TRegistry::Current() const { return FCurrentKey ? FCurrentKey.Get() : FRootKey; }

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  RegKey opened;
  LONG rc;
  if (canCreate)
    rc = ::RegCreateKeyExA(FRootKey, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, FAccess,
                           nullptr, opened.Put(), nullptr);
  else
    rc = ::RegOpenKeyExA(FRootKey, key.c_str(), 0, FAccess, opened.Put());
  if (rc != ERROR_SUCCESS) return false;
  FCurrentKey = std::move(opened);
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
  RegKey opened;
  if (::RegOpenKeyExA(FRootKey, key.c_str(), 0, KEY_READ, opened.Put()) != ERROR_SUCCESS)
    return false;
  FCurrentKey = std::move(opened);
  return true;
}

bool TRegistry::KeyExists(const std::string& key) {
  RegKey probe;
  return ::RegOpenKeyExA(Current(), key.c_str(), 0, KEY_READ, probe.Put()) == ERROR_SUCCESS;
}

bool TRegistry::DeleteKey(const std::string& key) {
  return ::RegDeleteKeyA(Current(), key.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::ValueExists(const std::string& name) {
  return ::RegQueryValueExA(Current(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const std::string& name) {
  return ::RegDeleteValueA(Current(), name.c_str()) == ERROR_SUCCESS;
}

TRegistry::StringRead TRegistry::QueryString(const std::string& name, std::string& value) {
  value.clear();
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExA(Current(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return StringRead::Missing;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return StringRead::WrongType;
  // The value may grow between the two calls; a few rounds settle it.
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::vector<char> data(size + 1, '\0');
    DWORD got = size;
    const LONG rc = ::RegQueryValueExA(Current(), name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(data.data()), &got);
    if (rc == ERROR_MORE_DATA) {
      size = got;
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    // Stored strings need not be terminated; stop at the first zero if any.
    size_t length = got;
    for (size_t i = 0; i < got; ++i)
      if (data[i] == '\0') {
        length = i;
        break;
      }
    value.assign(data.data(), length);
    return StringRead::Read;
  }
  return StringRead::Failed;
}

std::string TRegistry::ReadString(const std::string& name) {
  std::string value;
  switch (QueryString(name, value)) {
    case StringRead::Read:
    case StringRead::Missing: return value;
    case StringRead::WrongType: rtl::Raise(ERegistryException("Invalid data type for '" + name + "'"));
    case StringRead::Failed: break;
  }
  rtl::Raise(ERegistryException("Failed to get data for '" + name + "'"));
}

bool TRegistry::TryReadString(const std::string& name, std::string& value) {
  if (QueryString(name, value) == StringRead::Read) return true;
  value.clear();
  return false;
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  if (::RegSetValueExA(Current(), name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
    rtl::Raise(ERegistryException("Failed to set data for '" + name + "'"));
}

int TRegistry::ReadInteger(const std::string& name) {
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  const LONG rc = ::RegQueryValueExA(Current(), name.c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(&value), &size);
  if (rc != ERROR_SUCCESS) rtl::Raise(ERegistryException("Failed to get data for '" + name + "'"));
  if (type != REG_DWORD) rtl::Raise(ERegistryException("Invalid data type for '" + name + "'"));
  return static_cast<int>(value);
}

void TRegistry::WriteInteger(const std::string& name, int value) {
  const DWORD data = static_cast<DWORD>(value);
  if (::RegSetValueExA(Current(), name.c_str(), 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&data), sizeof data) != ERROR_SUCCESS)
    rtl::Raise(ERegistryException("Failed to set data for '" + name + "'"));
}

}  // namespace rtl
