// The installer's programs folder under a key that, as for a user without
// elevation, grants reading only: HKEY_LOCAL_MACHINE is redirected, for this
// process, to a key of the test's own whose security allows nothing else.

#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <string>

#include "rtl/win32/Handles.h"
#include "rtl/win32/SystemFiles.h"

namespace {

const char kBase[] = "Software\\OrvandelTests\\ReadOnlyMachine";
const char kVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

class ReadOnlyMachineKey : public ::testing::Test {
protected:
  void SetUp() override {
    const std::string full = std::string(kBase) + "\\" + kVersionKey;
    rtl::RegKey key;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, full.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                               nullptr, key.Put(), nullptr));
    const char value[] = "D:\\Programme";
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExA(key.Get(), "ProgramFilesDir", 0, REG_SZ,
                                              reinterpret_cast<const BYTE*>(value), sizeof value));
    // Everyone may read the key and delete it (so that the test can clean
    // up), nothing more.
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)(A;;SD;;;WD)",
                                                                       SDDL_REVISION_1, &sd, nullptr));
    const LONG rc = ::RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, sd);
    ::LocalFree(sd);
    ASSERT_EQ(ERROR_SUCCESS, rc);

    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, kBase, 0, KEY_ALL_ACCESS, FBase.Put()));
    ASSERT_EQ(ERROR_SUCCESS, ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, FBase.Get()));
  }

  void TearDown() override {
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    FBase.Reset();
    ::RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kBase) + "\\" + kVersionKey).c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kBase) + "\\SOFTWARE\\Microsoft\\Windows").c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kBase) + "\\SOFTWARE\\Microsoft").c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kBase) + "\\SOFTWARE").c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kBase);
  }

  rtl::RegKey FBase;
};

}  // namespace

TEST_F(ReadOnlyMachineKey, ProgramsFolderIsReadWithoutWriteAccess) {
  // The key really refuses more than reading, as it does to a standard user.
  rtl::RegKey full;
  ASSERT_EQ(ERROR_ACCESS_DENIED, ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kVersionKey, 0, KEY_ALL_ACCESS, full.Put()));
  EXPECT_EQ("D:\\Programme", rtl::ProgramsFolder());
}
