#include "shellext/registrar_win32.h"

#include <string>

#include "resources/pairlaunch_res.h"
#include "shellext/module_win32.h"
#include "shellext/registrar.h"

namespace qm::shellext {

namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                         nullptr, 0);
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(length, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length,
                      nullptr, nullptr);
  return utf8;
}

HKEY RootKey(RegRoot root) {
  switch (root) {
    case RegRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegRoot::Users: return HKEY_USERS;
  }
  return HKEY_CLASSES_ROOT;
}

// The registry of this machine; remembers the first failing call's code so
// that the caller can hand it to regsvr32.
class SystemRegistry : public RegistryTarget {
public:
  HRESULT failure = S_OK;

  bool KeyExists(RegRoot root, const std::string& path) override {
    HKEY key;
    if (RegOpenKeyExW(RootKey(root), Wide(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
      return false;
    RegCloseKey(key);
    return true;
  }

  bool CreateKey(RegRoot root, const std::string& path) override {
    HKEY key;
    const LONG rc = RegCreateKeyExW(RootKey(root), Wide(path).c_str(), 0, nullptr, 0,
                                    KEY_WRITE, nullptr, &key, nullptr);
    if (rc == ERROR_SUCCESS) RegCloseKey(key);
    return Check(rc);
  }

  bool DeleteTree(RegRoot root, const std::string& path) override {
    const LONG rc = RegDeleteTreeW(RootKey(root), Wide(path).c_str());
    return Check(rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc);
  }

  bool HasSubKeys(RegRoot root, const std::string& path) override {
    HKEY key;
    if (RegOpenKeyExW(RootKey(root), Wide(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
      return false;
    DWORD count = 0;
    const LONG rc = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                                     nullptr, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    // When in doubt the key has children, so it is kept.
    return rc != ERROR_SUCCESS || count > 0;
  }

  bool SetString(RegRoot root, const std::string& path, const std::string& name,
                 const std::string& text) override {
    const std::wstring value = Wide(text);
    return Set(root, path, name, REG_SZ, value.c_str(),
               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }

  bool SetNumber(RegRoot root, const std::string& path, const std::string& name,
                 uint32_t number) override {
    const DWORD value = number;
    return Set(root, path, name, REG_DWORD, &value, sizeof value);
  }

private:
  bool Check(LONG rc) {
    if (rc == ERROR_SUCCESS) return true;
    if (failure == S_OK) failure = HRESULT_FROM_WIN32(rc);
    return false;
  }

  bool Set(RegRoot root, const std::string& path, const std::string& name, DWORD type,
           const void* data, DWORD size) {
    HKEY key;
    LONG rc = RegOpenKeyExW(RootKey(root), Wide(path).c_str(), 0, KEY_SET_VALUE, &key);
    if (rc == ERROR_SUCCESS) {
      rc = RegSetValueExW(key, name.empty() ? nullptr : Wide(name).c_str(), 0, type,
                          static_cast<const BYTE*>(data), size);
      RegCloseKey(key);
    }
    return Check(rc);
  }
};

bool LoadScript(std::string* text) {
  const HINSTANCE module = ModuleInstance();
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_PAIRLAUNCH_REGISTRY), L"REGISTRY");
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!data) return false;
  text->assign(data, SizeofResource(module, found));
  return true;
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(ModuleInstance(), path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

HRESULT RunRegistrationScript(bool registering) {
  std::string source;
  const std::wstring module = ModulePath();
  if (module.empty() || !LoadScript(&source)) return E_FAIL;
  std::string expanded, error;
  Script script;
  if (!ExpandPlaceholders(source, {{"MODULE", Utf8(module)}}, &expanded, &error) ||
      !ParseScript(expanded, &script, &error))
    return E_FAIL;
  SystemRegistry registry;
  const bool ok = registering ? Register(script, registry, &error)
                              : Unregister(script, registry, &error);
  if (ok) return S_OK;
  return registry.failure != S_OK ? registry.failure : E_FAIL;
}

}  // namespace qm::shellext
