// The engine's seam to the operating system: the few calls that differ
// between Windows (platform_win32.cpp) and POSIX (platform_posix.cpp).
#pragma once

#include <cstdint>
#include <string>

namespace qm {

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
// Replaces target with the finished temporary file, keeping the target's
// attributes where it exists. Returns 0 or an error code.
uint32_t ReplaceWithTemp(const std::string& temp, const std::string& target);

}  // namespace qm
