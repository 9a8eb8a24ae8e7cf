#include "folders/icon_cache.h"

#include <shellapi.h>

#include <atomic>
#include <cwchar>
#include <optional>
#include <vector>

#include "controls/code_page.h"

namespace qm {

namespace {

struct IconRecord {
  std::wstring key;  // empty for a stock icon
  int stockNumber = -1;
  int imageIndex = -1;
};

struct IconCacheState {
  HIMAGELIST large = nullptr;
  HIMAGELIST small = nullptr;
  int genericIndex = -1;
  std::vector<IconRecord> table;
};

// Statically initialised, so a lookup before InitIconCache or after
// DestroyIconCache finds no lists and answers -1 instead of crashing.
SRWLOCK g_lock = SRWLOCK_INIT;
IconCacheState g_cache;
std::atomic<int> g_shellQueries{0};

class ExclusiveLock {
public:
  ExclusiveLock() { AcquireSRWLockExclusive(&g_lock); }
  ~ExclusiveLock() { ReleaseSRWLockExclusive(&g_lock); }
  ExclusiveLock(const ExclusiveLock&) = delete;
  ExclusiveLock& operator=(const ExclusiveLock&) = delete;
};

// A large and a small icon, destroyed unless handed to the lists.
struct IconPair {
  HICON large = nullptr;
  HICON small = nullptr;
  IconPair() = default;
  IconPair(const IconPair&) = delete;
  IconPair& operator=(const IconPair&) = delete;
  ~IconPair() {
    if (large) DestroyIcon(large);
    if (small) DestroyIcon(small);
  }
  bool complete() const { return large && small; }
};

bool SameKey(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Caller holds the lock.
std::optional<int> FindRecord(const std::wstring& key, int stockNumber) {
  for (const IconRecord& record : g_cache.table) {
    if (stockNumber >= 0 ? record.stockNumber == stockNumber
                         : record.stockNumber == -1 && SameKey(record.key, key)) {
      return record.imageIndex;
    }
  }
  return std::nullopt;
}

// Appends both icons at one index of the two lists; -1 when either list
// refused (the lists stay in step). Caller holds the lock.
int AppendPair(const IconPair& icons) {
  if (!g_cache.large || !g_cache.small || !icons.complete()) return -1;
  const int index = ImageList_AddIcon(g_cache.large, icons.large);
  if (index < 0) return -1;
  if (ImageList_AddIcon(g_cache.small, icons.small) < 0) {
    ImageList_Remove(g_cache.large, index);
    return -1;
  }
  return ImageList_GetImageCount(g_cache.large) - 1;
}

// Records the result of a lookup made outside the lock. When another worker
// recorded the same key meanwhile, its answer stands and icons is dropped.
int Record(const std::wstring& key, int stockNumber, const IconPair* icons) {
  ExclusiveLock lock;
  if (auto found = FindRecord(key, stockNumber)) return *found;
  const int index = icons ? AppendPair(*icons) : -1;
  g_cache.table.push_back({key, stockNumber, index});
  return index;
}

// The default value of a registry key as text, environment variables
// expanded; empty when it is missing or not text.
std::wstring ReadDefaultValue(HKEY root, const std::wstring& subKey, const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
  DWORD type = 0, size = 0;
  std::wstring value;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0) {
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) == ERROR_SUCCESS) {
      value = buffer.data();
    }
  }
  RegCloseKey(key);
  if (type == REG_EXPAND_SZ && !value.empty()) {
    const DWORD needed = ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
    if (needed > 0) {
      std::vector<wchar_t> expanded(needed + 1, L'\0');
      if (ExpandEnvironmentStringsW(value.c_str(), expanded.data(), needed)) {
        value = expanded.data();
      }
    }
  }
  return value;
}

// "file,number" as the registry names an icon: both sizes extracted from
// there. Nothing for a value without a comma, with the comma first or with
// nothing after it.
void ExtractNamedIcon(const std::wstring& location, IconPair* icons) {
  const size_t comma = location.rfind(L',');
  if (comma == std::wstring::npos || comma == 0 || comma + 1 == location.size()) return;
  std::wstring file = location.substr(0, comma);
  if (file.size() >= 2 && file.front() == L'"' && file.back() == L'"') {
    file = file.substr(1, file.size() - 2);
  }
  const int number = _wtoi(location.c_str() + comma + 1);
  ExtractIconExW(file.c_str(), number, &icons->large, &icons->small, 1);
}

// The icons the shell shows for the file at path; left empty when it has
// nothing better than the generic document icon.
void AskShell(const std::wstring& path, IconPair* icons) {
  ++g_shellQueries;
  SHFILEINFOW info{};
  if (!SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON)) return;
  icons->small = info.hIcon;
  SHFILEINFOW largeInfo{};
  if (!SHGetFileInfoW(path.c_str(), 0, &largeInfo, sizeof largeInfo, SHGFI_ICON | SHGFI_LARGEICON))
    return;
  icons->large = largeInfo.hIcon;
  int generic = -1;
  {
    ExclusiveLock lock;
    generic = g_cache.genericIndex;
  }
  if (largeInfo.iIcon == generic) {
    DestroyIcon(icons->large);
    DestroyIcon(icons->small);
    icons->large = icons->small = nullptr;
  }
}

// The file type's own icon as the registry names it under its program id.
void AskRegistry(const std::wstring& key, IconPair* icons) {
  const std::wstring progId = ReadDefaultValue(HKEY_CLASSES_ROOT, key, nullptr);
  if (progId.empty()) return;
  ExtractNamedIcon(ReadDefaultValue(HKEY_CLASSES_ROOT, progId + L"\\DefaultIcon", nullptr), icons);
}

bool OwnIconExtension(const std::wstring& extension) {
  for (const wchar_t* own : {L".exe", L".dll", L".ocx", L".ico"}) {
    if (SameKey(extension, own)) return true;
  }
  return false;
}

int DisplayColourFlag() {
  HDC screen = GetDC(nullptr);
  const int bits = screen ? GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES) : 32;
  if (screen) ReleaseDC(nullptr, screen);
  if (bits >= 32) return ILC_COLOR32;
  if (bits >= 24) return ILC_COLOR24;
  if (bits >= 16) return ILC_COLOR16;
  if (bits >= 8) return ILC_COLOR8;
  return ILC_COLOR4;
}

}  // namespace

bool InitIconCache() {
  const UINT flags = DisplayColourFlag() | ILC_MASK;
  HIMAGELIST large = ImageList_Create(32, 32, flags, 20, 10);
  HIMAGELIST small = ImageList_Create(16, 16, flags, 20, 10);
  // The name has no extension and is not looked for on disk: the shell
  // answers with the icon it gives every file of an unknown type.
  SHFILEINFOW info{};
  const bool generic = SHGetFileInfoW(L"mothergoose", FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                                      SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX) != 0;
  ExclusiveLock lock;
  if (g_cache.large) ImageList_Destroy(g_cache.large);
  if (g_cache.small) ImageList_Destroy(g_cache.small);
  g_cache = IconCacheState();
  if (!large || !small) {
    if (large) ImageList_Destroy(large);
    if (small) ImageList_Destroy(small);
    return false;
  }
  g_cache.large = large;
  g_cache.small = small;
  g_cache.genericIndex = generic ? info.iIcon : -1;
  return true;
}

void DestroyIconCache() {
  ExclusiveLock lock;
  if (g_cache.large) ImageList_Destroy(g_cache.large);
  if (g_cache.small) ImageList_Destroy(g_cache.small);
  g_cache = IconCacheState();
}

int IconForFile(const std::string& path) {
  const std::wstring wide = WideFromUtf8(path);
  // The extension is looked for in the file's own name: a dot in a folder
  // name is none, and a name that starts with its only dot (".profile")
  // has none either.
  const size_t nameStart = wide.find_last_of(L"\\/") + 1;
  const size_t dot = wide.rfind(L'.');
  if (dot == std::wstring::npos || dot <= nameStart || dot + 1 == wide.size()) return -1;
  const std::wstring extension = wide.substr(dot);
  const bool ownIcon = OwnIconExtension(extension);
  const std::wstring key = ownIcon ? wide : extension;
  {
    ExclusiveLock lock;
    if (!g_cache.large) return -1;
    if (auto found = FindRecord(key, -1)) return *found;
  }
  IconPair icons;
  AskShell(wide, &icons);
  if (!icons.complete()) {
    // A program or icon file keyed by its path has no class to look up:
    // its first icon is its own.
    IconPair named;
    if (ownIcon)
      ExtractIconExW(wide.c_str(), 0, &named.large, &named.small, 1);
    else
      AskRegistry(key, &named);
    std::swap(icons.large, named.large);
    std::swap(icons.small, named.small);
  }
  return Record(key, -1, &icons);
}

int StockIcon(int number) {
  if (number < 0) return -1;
  {
    ExclusiveLock lock;
    if (!g_cache.large) return -1;
    if (auto found = FindRecord({}, number)) return *found;
  }
  wchar_t name[16];
  swprintf(name, 16, L"%ld", static_cast<long>(number));
  IconPair icons;
  ExtractNamedIcon(ReadDefaultValue(HKEY_LOCAL_MACHINE,
                                    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
                                    L"Shell Icons",
                                    name),
                   &icons);
  // An override that names no usable icon does not take the folder's or the
  // document's icon away: the shell's own is used then.
  if (!icons.complete()) {
    IconPair own;
    ExtractIconExW(L"SHELL32.DLL", number, &own.large, &own.small, 1);
    std::swap(icons.large, own.large);
    std::swap(icons.small, own.small);
  }
  return Record({}, number, &icons);
}

HIMAGELIST LargeImageList() {
  ExclusiveLock lock;
  return g_cache.large;
}

HIMAGELIST SmallImageList() {
  ExclusiveLock lock;
  return g_cache.small;
}

void DrawSmallIcon(HDC dc, int index, int x, int y) {
  ExclusiveLock lock;
  if (!g_cache.small || index < 0 || index >= ImageList_GetImageCount(g_cache.small)) return;
  ImageList_Draw(g_cache.small, index, dc, x, y, ILD_TRANSPARENT);
}

size_t IconCacheRecordCount() {
  ExclusiveLock lock;
  return g_cache.table.size();
}

int IconCacheShellQueries() { return g_shellQueries.load(); }

}  // namespace qm
