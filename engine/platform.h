// The engine's seam to the operating system: the few calls that differ
// between Windows (platform_win32.cpp) and POSIX (platform_posix.cpp).
// Error codes are Windows error codes on both sides: the POSIX side maps
// errno to the nearest one, so callers and messages see one vocabulary.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace qm {

constexpr uint32_t kErrorAccessDenied = 5;    // ERROR_ACCESS_DENIED
constexpr uint32_t kErrorOutOfMemory = 14;    // ERROR_OUTOFMEMORY
constexpr uint32_t kErrorFileExists = 80;     // ERROR_FILE_EXISTS
constexpr uint32_t kErrorFileTooLarge = 223;  // ERROR_FILE_TOO_LARGE

// The target of a shell shortcut, or path unchanged when it is not one.
// Windows: the caller's thread has COM initialised.
std::string ResolveShortcut(const std::string& path);
// True when the file cannot be opened for writing (also when it is missing).
bool IsReadOnlyFile(const std::string& path);
// The system's own message text for an error code (0: the last error).
std::string SystemErrorText(uint32_t error);
// The calling thread's last error code (GetLastError / errno mapped).
uint32_t LastError();
// Shows message 48 (out of memory) without an owner window.
void ShowOutOfMemory();
// Size of an open file in bytes (64-bit even in a 32-bit process); false
// with the last error set when it cannot be measured.
bool OpenFileSize(std::FILE* file, uint64_t* size);
// Creates path for writing in binary mode, failing (null, last error
// kErrorFileExists) when it already exists.
std::FILE* CreateNewFile(const std::string& path);
// Replaces target with the finished temporary file, keeping the target's
// attributes where it exists; a read-only target is refused (access
// denied) and left as it was. Returns 0 or an error code.
uint32_t ReplaceWithTemp(const std::string& temp, const std::string& target);
// Deletes a file; false when it could not be deleted.
bool RemoveFile(const std::string& path);

}  // namespace qm
