#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "engine/platform.h"
#include "engine/text_file.h"

namespace qm {

namespace {

template <typename T>
struct ComRelease {
  T* p = nullptr;
  ~ComRelease() {
    if (p) p->Release();
  }
};

bool FileHasBytes(const std::string& path) {
  uint32_t error = 0;
  std::FILE* file = OpenDiskFile(path, &error);
  if (!file) return false;
  uint64_t size = 0;
  const bool ok = OpenFileSize(file, &size);
  std::fclose(file);
  return ok && size > 0;
}

}  // namespace

std::string ResolveShortcut(const std::string& path) {
  if (path.empty() || !FileHasBytes(path)) return path;
  ComRelease<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link.p)))) {
    return path;
  }
  ComRelease<IPersistFile> file;
  if (FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p)))) {
    return path;
  }
  wchar_t wide[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) == 0) return path;
  if (FAILED(file.p->Load(wide, 0))) return path;
  char target[MAX_PATH] = "";
  WIN32_FIND_DATAA find;
  // A shortcut to something that is not a file (a printer, a shell folder)
  // has no path: keep the name as given so that loading reports it.
  if (link.p->GetPath(target, MAX_PATH, &find, SLGP_UNCPRIORITY) != S_OK || !target[0]) {
    return path;
  }
  return target;
}

bool IsReadOnlyFile(const std::string& path) { return _access(path.c_str(), 2) != 0; }

std::string SystemErrorText(uint32_t error) {
  if (error == 0) error = GetLastError();
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = n > 0 && text ? std::string(text, n) : "Error " + std::to_string(error);
  if (text) LocalFree(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
    result.pop_back();
  return result;
}

uint32_t LastError() { return GetLastError(); }

namespace {

bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
  if (IsDeviceName(path)) return false;
  // No access rights are asked for: only the identity is read, and the
  // file may be open elsewhere without sharing.
  HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = GetFileInformationByHandle(h, info) != 0;
  CloseHandle(h);
  return ok;
}

std::string FullPath(const std::string& path) {
  char full[MAX_PATH * 2];
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return n > 0 && n < sizeof full ? std::string(full, n) : path;
}

}  // namespace

bool IsSameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION ia, ib;
  if (FileIdentity(a, &ia) && FileIdentity(b, &ib)) {
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
  }
  // Without identities (a missing file), the full names decide.
  return lstrcmpiA(FullPath(a).c_str(), FullPath(b).c_str()) == 0 &&
         GetFileAttributesA(a.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDeviceTarget(const std::string& path) { return IsDeviceName(path); }

FileStamp StampOf(const std::string& path) {
  FileStamp stamp;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return stamp;
  stamp.exists = true;
  stamp.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  stamp.writeTime = static_cast<int64_t>((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                         data.ftLastWriteTime.dwLowDateTime);
  return stamp;
}

std::FILE* OpenDiskFile(const std::string& path, uint32_t* error) {
  // A device name opens the device wherever it appears ("C:\x\COM1.txt"
  // too), and a read from a serial port or console can wait forever: such
  // names are refused before anything is opened.
  if (IsDeviceName(path)) {
    *error = kErrorNotDiskFile;
    return nullptr;
  }
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *error = GetLastError();
    return nullptr;
  }
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    *error = kErrorNotDiskFile;
    return nullptr;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_BINARY | _O_RDONLY);
  if (fd < 0) {
    CloseHandle(h);
    *error = ERROR_TOO_MANY_OPEN_FILES;
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, "rb");
  if (!file) {
    _close(fd);
    *error = ERROR_TOO_MANY_OPEN_FILES;
  }
  return file;
}

bool OpenFileSize(std::FILE* file, uint64_t* size) {
  const __int64 n = _filelengthi64(_fileno(file));
  if (n < 0) return false;
  *size = static_cast<uint64_t>(n);
  return true;
}

std::FILE* CreateNewFile(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_BINARY | _O_WRONLY);
  if (fd < 0) {
    CloseHandle(h);
    DeleteFileA(path.c_str());
    SetLastError(ERROR_TOO_MANY_OPEN_FILES);
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, "wb");
  if (!file) {
    _close(fd);
    DeleteFileA(path.c_str());
    SetLastError(ERROR_TOO_MANY_OPEN_FILES);
  }
  return file;
}

uint32_t ReplaceWithTemp(const std::string& temp, const std::string& target) {
  const DWORD attributes = GetFileAttributesA(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return 0;
    return GetLastError();
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_ACCESS_DENIED;
  if (attributes & FILE_ATTRIBUTE_READONLY) return ERROR_ACCESS_DENIED;
  const DWORD kept = attributes & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                   FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  // ReplaceFile keeps the target's attributes, security and creation time
  // on Windows; Wine's keeps the replacement's attributes, so they are put
  // back when they went missing.
  if (ReplaceFileA(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                   nullptr, nullptr)) {
    const DWORD now = GetFileAttributesA(target.c_str());
    if (now != INVALID_FILE_ATTRIBUTES && (now & kept) != kept) {
      SetFileAttributesA(target.c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL);
    }
    return 0;
  }
  const DWORD error = GetLastError();
  // Some file systems cannot replace: move the finished file over the
  // target instead, carrying the attributes over by hand.
  SetFileAttributesA(temp.c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL);
  if (MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return 0;
  return error;
}

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

// Large pages need a privilege that ordinary users lack; small pages are
// also much cheaper to fault in outside a virtual machine.
void AdviseLargeBuffer(void*, size_t) {}

}  // namespace qm
