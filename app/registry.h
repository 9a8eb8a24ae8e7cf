// Registry helpers: typed reads and writes of single values, on the
// program's Settings key of the current user or on any root and key.
//
// Encodings (shared by every component and by earlier releases' stored data):
// - numbers and colours are REG_DWORD; a stored value of up to four bytes is
//   taken as a little-endian number whatever its type, anything longer, an
//   absent value or a failing read gives the default;
// - booleans are REG_SZ "true" or "false"; only the exact, case-sensitive
//   text "true" reads as true, any other stored value as false, an absent
//   value gives the default;
// - strings are REG_SZ written with their terminating zero, in the
//   program's code page, UTF-8; a stored string that is not UTF-8 comes
//   from a release that used the legacy code page and reads converted.
//
// Writes create the key when needed (KEY_WRITE) and close it again; a write
// failure is not reported, the program goes on with its in-memory values.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace qm {

// "SOFTWARE\Ambervale\Quillmere\Settings" under HKEY_CURRENT_USER.
extern const char kSettingsKey[];
// "SOFTWARE\Ambervale\Quillmere", which holds "InstallDir".
extern const char kProductKey[];

// Stored strings longer than this (in bytes, terminator included) are
// refused like a failing read, so that a damaged value cannot make the
// program allocate without bound.
constexpr DWORD kMaxRegStringBytes = 64 * 1024;

uint32_t ReadRegDword(HKEY root, const char* key, const char* name, uint32_t def);
// The stored text up to its first zero, or nothing when the value is absent,
// is not of a string type (REG_SZ, REG_EXPAND_SZ), is too long, or the read
// fails.
std::optional<std::string> ReadRegString(HKEY root, const char* key, const char* name);
bool ReadRegBool(HKEY root, const char* key, const char* name, bool def);
void WriteRegDword(HKEY root, const char* key, const char* name, uint32_t value);
void WriteRegString(HKEY root, const char* key, const char* name, const std::string& value);
void WriteRegBool(HKEY root, const char* key, const char* name, bool value);

// The same on HKEY_CURRENT_USER\kSettingsKey.
uint32_t ReadSettingDword(const char* name, uint32_t def);
std::optional<std::string> ReadSettingString(const char* name);
bool ReadSettingBool(const char* name, bool def);
void WriteSettingDword(const char* name, uint32_t value);
void WriteSettingString(const char* name, const std::string& value);
void WriteSettingBool(const char* name, bool value);

// The installation folder: "InstallDir" of kProductKey under
// HKEY_LOCAL_MACHINE, else (absent or empty) under HKEY_CURRENT_USER; empty
// when neither holds it.
std::string InstallDir();

}  // namespace qm
