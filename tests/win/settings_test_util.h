// Shared by the settings tests: every test starts from an empty Settings key
// of the test prefix's registry and can plant raw values in it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/registry.h"

namespace qm::test {

inline void DeleteSettingsKey() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
  RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}

inline void PutRaw(const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0,
                                           KEY_WRITE, nullptr, &key, nullptr));
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size));
  RegCloseKey(key);
}

inline void PutString(const char* name, const std::string& text) {
  PutRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

inline void PutDword(const char* name, DWORD value) { PutRaw(name, REG_DWORD, &value, sizeof value); }

struct RawValue {
  DWORD type = 0;
  std::vector<BYTE> data;
};

// The stored value, or nothing when absent.
inline std::optional<RawValue> GetRaw(const char* name) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  RawValue value;
  DWORD size = 0;
  LONG rc = RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size);
  if (rc == ERROR_SUCCESS) {
    value.data.resize(size);
    rc = RegQueryValueExA(key, name, nullptr, &value.type, value.data.data(), &size);
  }
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return std::nullopt;
  return value;
}

class CleanSettingsKey : public ::testing::Test {
 protected:
  void SetUp() override { DeleteSettingsKey(); }
  void TearDown() override { DeleteSettingsKey(); }
};

}  // namespace qm::test
