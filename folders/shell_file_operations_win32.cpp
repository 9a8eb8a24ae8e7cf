#include <windows.h>
#include <shellapi.h>

#include <random>

#include "common/paths.h"
#include "controls/res_string.h"
#include "folders/shell_file_operations.h"

namespace qm {

namespace {

// The program's narrow strings are UTF-8; the wide calls keep every name.
std::wstring Wide(const std::string& text) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) {
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  }
  return wide;
}

std::string Narrow(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &narrow[0], n,
                        nullptr, nullptr);
  }
  return narrow;
}

DWORD AttributesOf(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

bool IsDots(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// Clears the read-only attribute so that the item can be deleted.
void MakeWritable(const std::wstring& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
}

// Removes path for good. A folder's link (junction, symbolic link) is
// removed itself and never followed: what it points at is not ours.
bool RemoveWide(const std::wstring& path, int depth) {
  const DWORD attributes = AttributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    MakeWritable(path, attributes);
    return DeleteFileW(path.c_str()) != 0;
  }
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && depth < 256) {
    WIN32_FIND_DATAW find;
    const HANDLE handle = FindFirstFileW((path + L"\\*").c_str(), &find);
    if (handle != INVALID_HANDLE_VALUE) {
      do {
        if (!IsDots(find.cFileName)) RemoveWide(path + L"\\" + find.cFileName, depth + 1);
      } while (FindNextFileW(handle, &find));
      FindClose(handle);
    }
  }
  MakeWritable(path, attributes);
  return RemoveDirectoryW(path.c_str()) != 0;
}

// Opens a folder for its times (backup semantics let CreateFile open one).
HANDLE OpenFolder(const std::wstring& path, DWORD access) {
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

void CopyFolderTimesWide(const std::wstring& source, const std::wstring& target, int depth) {
  const HANDLE from = OpenFolder(source, GENERIC_READ);
  if (from != INVALID_HANDLE_VALUE) {
    FILETIME created, accessed, written;
    const bool have = GetFileTime(from, &created, &accessed, &written) != 0;
    CloseHandle(from);
    const HANDLE to = have ? OpenFolder(target, FILE_WRITE_ATTRIBUTES) : INVALID_HANDLE_VALUE;
    if (to != INVALID_HANDLE_VALUE) {
      SetFileTime(to, &created, &accessed, &written);
      CloseHandle(to);
    }
  }
  if (depth >= 256) return;
  WIN32_FIND_DATAW find;
  const HANDLE handle = FindFirstFileW((source + L"\\*").c_str(), &find);
  if (handle == INVALID_HANDLE_VALUE) return;
  do {
    if ((find.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !(find.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && !IsDots(find.cFileName)) {
      CopyFolderTimesWide(source + L"\\" + find.cFileName, target + L"\\" + find.cFileName,
                          depth + 1);
    }
  } while (FindNextFileW(handle, &find));
  FindClose(handle);
}

// True when target is what a copy of an item with these facts leaves: a
// folder for a folder, a file of the same size and last-write time (the
// copy keeps it) for a file.
bool IsCopyOf(DWORD attributes, DWORD sizeHigh, DWORD sizeLow, const FILETIME& written,
              const std::wstring& target) {
  WIN32_FILE_ATTRIBUTE_DATA now;
  if (!GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &now)) return false;
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (folder != ((now.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) return false;
  return folder || (now.nFileSizeHigh == sizeHigh && now.nFileSizeLow == sizeLow &&
                    CompareFileTime(&now.ftLastWriteTime, &written) == 0);
}

// True when every item below the source folder has its copy below target.
bool CopiedWhole(const std::wstring& source, const std::wstring& target, int depth) {
  WIN32_FIND_DATAW find;
  const HANDLE handle = FindFirstFileW((source + L"\\*").c_str(), &find);
  if (handle == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  bool whole = true;
  do {
    if (IsDots(find.cFileName)) continue;
    const std::wstring from = source + L"\\" + find.cFileName;
    const std::wstring to = target + L"\\" + find.cFileName;
    whole = IsCopyOf(find.dwFileAttributes, find.nFileSizeHigh, find.nFileSizeLow,
                     find.ftLastWriteTime, to);
    if (whole && (find.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !(find.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && depth < 256) {
      whole = CopiedWhole(from, to, depth + 1);
    }
  } while (whole && FindNextFileW(handle, &find));
  FindClose(handle);
  return whole;
}

// The shell takes paths of at most MAX_PATH - 1 characters; a longer one
// is refused, never cut.
bool FitsShell(const std::wstring& path) { return !path.empty() && path.size() < MAX_PATH; }

// A list of one path for the shell: terminated by two NULs.
std::wstring ShellList(const std::wstring& path) {
  std::wstring list = path;
  list.push_back(L'\0');
  list.push_back(L'\0');
  return list;
}

UINT RefusalText(Refusal why) {
  switch (why) {
    case Refusal::SetAsideFailed: return 181;
    case Refusal::NoTempName: return 182;
    case Refusal::BackupFailed: return 183;
    case Refusal::TargetAppeared: return 184;
    case Refusal::SameItem: return 185;
    case Refusal::DeviceName: return 186;
    case Refusal::SourceMissing: return 187;
    case Refusal::InvalidName: return 188;
    case Refusal::PathTooLong: return 189;
    case Refusal::KeptAside: return 190;
  }
  return 187;
}

class ShellFileOperations : public FileOperations {
public:
  ShellFileOperations(HWND owner, ShellOperationsMode mode)
      : owner_(owner), mode_(mode), random_(GetTickCount() ^ (GetCurrentProcessId() << 16)) {}

  bool CopyItem(const std::string& source, const std::string& targetFolder,
                unsigned titleId) override {
    const std::wstring from = Wide(source);
    const std::wstring to = Wide(targetFolder);
    const std::wstring copied = Wide(JoinPath(targetFolder, LastComponent(source)));
    if (!FitsShell(from) || !FitsShell(copied)) {
      Refuse(Refusal::PathTooLong, FitsShell(from) ? JoinPath(targetFolder, LastComponent(source))
                                                   : source);
      return false;
    }
    const std::wstring fromList = ShellList(from);
    const std::wstring toList = ShellList(to);
    const bool ok = RunShell(FO_COPY, fromList, &toList, titleId);
    // The shell's answer is checked against the disk: Wine's, for one,
    // reports success for a file it could not replace.
    WIN32_FILE_ATTRIBUTE_DATA was;
    if (!ok || !GetFileAttributesExW(from.c_str(), GetFileExInfoStandard, &was)) return false;
    if (!IsCopyOf(was.dwFileAttributes, was.nFileSizeHigh, was.nFileSizeLow, was.ftLastWriteTime,
                  copied)) {
      return false;
    }
    if (!(was.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
    if (!CopiedWhole(from, copied, 0)) return false;
    CopyFolderTimesWide(from, copied, 0);
    return true;
  }

  bool RecycleItem(const std::string& path) override {
    const std::wstring wide = Wide(path);
    if (AttributesOf(wide) == INVALID_FILE_ATTRIBUTES) return true;
    if (!FitsShell(wide)) {
      Refuse(Refusal::PathTooLong, path);
      return false;
    }
    const std::wstring list = ShellList(wide);
    const bool ok = RunShell(FO_DELETE, list, nullptr, 130);
    return ok && AttributesOf(wide) == INVALID_FILE_ATTRIBUTES;
  }

  bool MoveItem(const std::string& from, const std::string& to) override {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), 0) != 0;
  }

  bool RemoveItem(const std::string& path) override {
    if (path.empty()) return true;
    const std::wstring wide = Wide(path);
    RemoveWide(wide, 0);
    return AttributesOf(wide) == INVALID_FILE_ATTRIBUTES;
  }

  bool Exists(const std::string& path) override {
    return AttributesOf(Wide(path)) != INVALID_FILE_ATTRIBUTES;
  }

  bool IsFolder(const std::string& path) override {
    const DWORD attributes = AttributesOf(Wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  bool MakeFolder(const std::string& path) override {
    return CreateDirectoryW(Wide(path).c_str(), nullptr) != 0;
  }

  std::string TempFolder() override {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    if (n == 0 || n > MAX_PATH) return std::string();
    return Narrow(std::wstring(buffer, n));
  }

  uint32_t Random() override { return static_cast<uint32_t>(random_()); }

  void Refuse(Refusal why, const std::string& path) override {
    if (mode_ == ShellOperationsMode::Quiet) return;
    const std::string text =
        FormatResString(RefusalText(why), {reinterpret_cast<DWORD_PTR>(path.c_str())});
    MessageBoxW(owner_, Wide(text).c_str(), Wide(LoadResString(1)).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
  }

private:
  // One shell file operation; true when it returned 0 and reports nothing
  // aborted (a cancelled progress window counts as a failure).
  bool RunShell(UINT function, const std::wstring& from, const std::wstring* to, unsigned titleId) {
    const std::wstring title = Wide(LoadResString(titleId));
    SHFILEOPSTRUCTW op = {};
    op.hwnd = owner_;
    op.wFunc = function;
    op.pFrom = from.c_str();
    op.pTo = to ? to->c_str() : nullptr;
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_SIMPLEPROGRESS;
    if (function == FO_DELETE) op.fFlags |= FOF_ALLOWUNDO;
    if (mode_ == ShellOperationsMode::Quiet) op.fFlags |= FOF_SILENT | FOF_NOERRORUI;
    op.lpszProgressTitle = title.c_str();
    const int result = SHFileOperationW(&op);
    return result == 0 && !op.fAnyOperationsAborted;
  }

  HWND owner_;
  ShellOperationsMode mode_;
  std::mt19937 random_;
};

}  // namespace

std::unique_ptr<FileOperations> NewShellFileOperations(HWND owner, ShellOperationsMode mode) {
  return std::make_unique<ShellFileOperations>(owner, mode);
}

void DiscardBackupFolder(const std::string& path) {
  if (!path.empty()) RemoveWide(Wide(path), 0);
}

void CopyFolderTimes(const std::string& source, const std::string& target) {
  CopyFolderTimesWide(Wide(source), Wide(target), 0);
}

}  // namespace qm
