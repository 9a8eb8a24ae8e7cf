#include <windows.h>

#include <cstdio>
#include <string>

#include "common/paths.h"
#include "engine/platform.h"
#include "folders/file_system.h"

namespace qm {

namespace {

// Names travel as multibyte text in the active code page (UTF-8 for this
// program); the wide functions are used so that nothing is lost on the way.
std::wstring Widen(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  if (n > 0) {
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  }
  return wide;
}

std::string Narrow(const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string narrow(static_cast<size_t>(n - 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], n, nullptr, nullptr);
  return narrow;
}

// A file time (100 ns units since 1601) in whole seconds.
int64_t WholeSeconds(const FILETIME& time) {
  const uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return static_cast<int64_t>(ticks / 10000000u);
}

}  // namespace

std::string SystemFileSystem::Child(const std::string& root, const std::string& relative) const {
  return relative.empty() ? root : JoinPath(root, relative);
}

bool SystemFileSystem::IsExistingFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

uint32_t SystemFileSystem::ListFolder(const std::string& path, bool /*attributes*/,
                                      std::vector<FoundItem>* items) {
  items->clear();
  WIN32_FIND_DATAW find;
  // The basic information level skips the short names, and the large fetch
  // asks for many entries per call: both only make the listing faster.
  const HANDLE handle =
      FindFirstFileExW(Widen(JoinPath(path, "*")).c_str(), FindExInfoBasic, &find,
                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // The root of an empty drive has not even "." and "..".
    return error == ERROR_FILE_NOT_FOUND ? 0 : error;
  }
  DWORD error = 0;
  do {
    const wchar_t* name = find.cFileName;
    if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
    FoundItem item;
    item.name = Narrow(name);
    item.isFolder = (find.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    item.hidden = (find.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    item.readOnly = (find.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    // The find data carries what QueryFile would ask for.
    item.haveFacts = true;
    item.facts.writeSeconds = WholeSeconds(find.ftLastWriteTime);
    item.facts.size = (static_cast<uint64_t>(find.nFileSizeHigh) << 32) | find.nFileSizeLow;
    items->push_back(std::move(item));
  } while (FindNextFileW(handle, &find));
  error = GetLastError();
  FindClose(handle);
  if (error == ERROR_NO_MORE_FILES) return 0;
  items->clear();
  return error;
}

bool SystemFileSystem::QueryFile(const std::string& path, FileFacts* facts) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) return false;
  facts->writeSeconds = WholeSeconds(data.ftLastWriteTime);
  facts->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

namespace {

constexpr uint32_t kReadFault = 30;  // ERROR_READ_FAULT: a read that failed without a reason

class DiskFileReader : public FileReader {
public:
  DiskFileReader(std::FILE* file, uint64_t size) : file_(file), size_(size) {}
  ~DiskFileReader() override { std::fclose(file_); }
  DiskFileReader(const DiskFileReader&) = delete;
  DiskFileReader& operator=(const DiskFileReader&) = delete;

  uint32_t Read(char* buffer, size_t count, size_t* got) override {
    *got = std::fread(buffer, 1, count, file_);
    if (*got < count && std::ferror(file_)) {
      const uint32_t error = LastError();
      return error != 0 ? error : kReadFault;
    }
    return 0;
  }
  uint64_t Size() const override { return size_; }

private:
  std::FILE* file_;
  uint64_t size_;
};

}  // namespace

// Reading goes through the engine's disk-file opener, which refuses
// devices and pipes.
std::unique_ptr<FileReader> SystemFileSystem::OpenFile(const std::string& path,
                                                       uint32_t* error) {
  std::FILE* file = OpenDiskFile(path, error);
  if (!file) return nullptr;
  uint64_t size = 0;
  if (!OpenFileSize(file, &size)) {
    *error = LastError();
    if (*error == 0) *error = kReadFault;
    std::fclose(file);
    return nullptr;
  }
  return std::make_unique<DiskFileReader>(file, size);
}

std::string SystemFileSystem::ResolveShortcut(const std::string& path) {
  return qm::ResolveShortcut(path);
}

// The find data already carries the facts: a listing costs the same with
// or without them.
bool SystemFileSystem::OpenGivesFacts() const { return false; }

uint32_t SystemFileSystem::ListFolderWithFacts(const std::string& path, bool attributes,
                                               std::vector<FoundItem>* items) {
  return ListFolder(path, attributes, items);
}

// Shortcuts are resolved through COM, which each thread starts for itself.
void SystemFileSystem::HelperThreadStarted() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
}

void SystemFileSystem::HelperThreadEnded() { CoUninitialize(); }

}  // namespace qm
