#include "watcher/core/SystemUser.h"

#include "rtl/core/Paths.h"

bool IsSystemUserName(const std::string& userName) {
  return rtl::UpperCase(rtl::Trim(userName)) == "SYSTEM";
}
