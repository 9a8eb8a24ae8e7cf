// The engine's seam to the operating system: the few calls that differ
// between Windows (platform_win32.cpp) and POSIX (platform_posix.cpp).
// Error codes are Windows error codes on both sides: the POSIX side maps
// errno to the nearest one, so callers and messages see one vocabulary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace qm {

constexpr uint32_t kErrorAccessDenied = 5;    // ERROR_ACCESS_DENIED
constexpr uint32_t kErrorOutOfMemory = 14;    // ERROR_OUTOFMEMORY
constexpr uint32_t kErrorFileExists = 80;     // ERROR_FILE_EXISTS
constexpr uint32_t kErrorFileTooLarge = 223;  // ERROR_FILE_TOO_LARGE
constexpr uint32_t kErrorCancelled = 1223;    // ERROR_CANCELLED
// Not a system code: the name is a device, a pipe or a FIFO, not a file on
// disk. Bit 29 marks codes of our own; the windows give it a text from the
// string table.
constexpr uint32_t kErrorNotDiskFile = 0x20010001u;

// What identifies a file's content cheaply: its size and last-write time.
// Two stamps of the same file differ when someone wrote it in between.
struct FileStamp {
  bool exists = false;
  uint64_t size = 0;
  int64_t writeTime = 0;  // system units (100 ns on Windows, ns on POSIX)
  bool operator==(const FileStamp& o) const {
    return exists == o.exists && size == o.size && writeTime == o.writeTime;
  }
  bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

// The target of a shell shortcut, or path unchanged when it is not one.
// Windows: the caller's thread has COM initialised.
std::string ResolveShortcut(const std::string& path);
// True when the file cannot be opened for writing (also when it is missing).
bool IsReadOnlyFile(const std::string& path);
// The system's own message text for an error code (0: the last error).
std::string SystemErrorText(uint32_t error);
// The calling thread's last error code (GetLastError / errno mapped).
uint32_t LastError();
// True when a and b name the same existing file (the same volume and file
// index, so other spellings, short names and links are seen through).
bool IsSameFile(const std::string& a, const std::string& b);
// True when writing path would reach a device (a serial port, the console,
// NUL ...) rather than a file on disk; such targets are never written.
bool IsDeviceTarget(const std::string& path);
// The stamp of the file at path; exists is false when there is none.
FileStamp StampOf(const std::string& path);
// Opens path for reading in binary mode, but only when it names a regular
// file on disk. A device (CON, NUL, COM1 ...), pipe or FIFO is refused at
// once with kErrorNotDiskFile, and is never opened in a way that could
// block; a folder gives kErrorAccessDenied. Null with *error set on failure.
std::FILE* OpenDiskFile(const std::string& path, uint32_t* error);
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
// Asks for a large buffer, before it is first written, to be backed by
// large pages where the system offers them without privileges. Filled a
// small page at a time, a buffer of tens of megabytes costs thousands of
// page faults, and in a virtual machine each fault is dear. A hint only:
// it changes no contents and may do nothing.
void AdviseLargeBuffer(void* data, size_t bytes);

}  // namespace qm
