#include "app/registry.h"

#include <cstring>
#include <vector>

#include "controls/code_page.h"

namespace qm {

const char kSettingsKey[] = "SOFTWARE\\Ambervale\\Quillmere\\Settings";
const char kProductKey[] = "SOFTWARE\\Ambervale\\Quillmere";

namespace {

// Reads at most capacity bytes of a value. Returns the RegQueryValueEx
// result; size receives the bytes stored (also on ERROR_MORE_DATA).
LONG QueryValue(HKEY root, const char* key, const char* name, DWORD* type, BYTE* data,
                DWORD capacity, DWORD* size) {
  HKEY handle;
  LONG rc = RegOpenKeyExA(root, key, 0, KEY_READ, &handle);
  if (rc != ERROR_SUCCESS) return rc;
  *size = capacity;
  rc = RegQueryValueExA(handle, name, nullptr, type, data, size);
  RegCloseKey(handle);
  return rc;
}

void SetValue(HKEY root, const char* key, const char* name, DWORD type, const BYTE* data,
              DWORD size) {
  HKEY handle;
  if (RegCreateKeyExA(root, key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      &handle, nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExA(handle, name, 0, type, data, size);
  RegCloseKey(handle);
}

}  // namespace

uint32_t ReadRegDword(HKEY root, const char* key, const char* name, uint32_t def) {
  BYTE bytes[4] = {};
  DWORD type = 0;
  DWORD size = 0;
  if (QueryValue(root, key, name, &type, bytes, sizeof bytes, &size) != ERROR_SUCCESS ||
      size > sizeof bytes) {
    return def;
  }
  // Shorter values are zero-extended; the registry stores DWORDs little-endian.
  return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
         uint32_t(bytes[3]) << 24;
}

std::optional<std::string> ReadRegString(HKEY root, const char* key, const char* name) {
  HKEY handle;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0;
  DWORD size = 0;
  LONG rc = RegQueryValueExA(handle, name, nullptr, &type, nullptr, &size);
  std::vector<char> buffer;
  if (rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) &&
      size <= kMaxRegStringBytes) {
    // One spare byte: a stored string need not carry its terminator. A
    // value that grew since the size query fails with ERROR_MORE_DATA.
    buffer.resize(size + 1);
    DWORD got = size;
    rc = RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                          &got);
    if (rc == ERROR_SUCCESS) buffer[got] = '\0';
  } else if (rc == ERROR_SUCCESS) {
    rc = ERROR_INVALID_DATA;
  }
  RegCloseKey(handle);
  if (rc != ERROR_SUCCESS) return std::nullopt;
  std::string text(buffer.data());
  // Text that is not UTF-8 was stored by a release that ran in the legacy
  // code page; shown as UTF-8 it would be broken, so it is converted. A
  // process that does not run in UTF-8 (an older system ignores the
  // manifest's request) keeps its own code page's text as it is.
  if (GetACP() == CP_UTF8) text = Utf8FromLegacy(text);
  return text;
}

bool ReadRegBool(HKEY root, const char* key, const char* name, bool def) {
  // "true" plus its terminator; a longer value cannot be "true".
  char text[6] = {};
  DWORD type = 0;
  DWORD size = 0;
  LONG rc = QueryValue(root, key, name, &type, reinterpret_cast<BYTE*>(text), sizeof text - 1,
                       &size);
  if (rc == ERROR_MORE_DATA) return false;
  if (rc != ERROR_SUCCESS) return def;
  return (type == REG_SZ || type == REG_EXPAND_SZ) && std::strcmp(text, "true") == 0;
}

void WriteRegDword(HKEY root, const char* key, const char* name, uint32_t value) {
  DWORD data = value;
  SetValue(root, key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
}

void WriteRegString(HKEY root, const char* key, const char* name, const std::string& value) {
  SetValue(root, key, name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
           static_cast<DWORD>(value.size() + 1));
}

void WriteRegBool(HKEY root, const char* key, const char* name, bool value) {
  WriteRegString(root, key, name, value ? "true" : "false");
}

uint32_t ReadSettingDword(const char* name, uint32_t def) {
  return ReadRegDword(HKEY_CURRENT_USER, kSettingsKey, name, def);
}

std::optional<std::string> ReadSettingString(const char* name) {
  return ReadRegString(HKEY_CURRENT_USER, kSettingsKey, name);
}

bool ReadSettingBool(const char* name, bool def) {
  return ReadRegBool(HKEY_CURRENT_USER, kSettingsKey, name, def);
}

void WriteSettingDword(const char* name, uint32_t value) {
  WriteRegDword(HKEY_CURRENT_USER, kSettingsKey, name, value);
}

void WriteSettingString(const char* name, const std::string& value) {
  WriteRegString(HKEY_CURRENT_USER, kSettingsKey, name, value);
}

void WriteSettingBool(const char* name, bool value) {
  WriteRegBool(HKEY_CURRENT_USER, kSettingsKey, name, value);
}

std::string InstallDir() {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    std::optional<std::string> dir = ReadRegString(root, kProductKey, "InstallDir");
    if (dir && !dir->empty()) return *dir;
  }
  return std::string();
}

}  // namespace qm
