// The COM server entry points of pairlaunch.dll and its one class factory.

#include "shellext/module_win32.h"

#include <new>

#include "shellext/context_menu_win32.h"
#include "shellext/registrar_win32.h"

namespace qm::shellext {

const CLSID kContextMenuClsid = {
    0x1dc5d4e2, 0x06bb, 0x416c, {0x9f, 0xd3, 0xc7, 0xf1, 0x92, 0x02, 0xad, 0x34}};

namespace {

HINSTANCE g_module = nullptr;
LONG g_references = 0;  // live objects, class factories and LockServer locks

constexpr const wchar_t* kApprovedKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
constexpr const wchar_t* kClsidText = L"{1dc5d4e2-06bb-416c-9fd3-c7f19202ad34}";
constexpr const wchar_t* kApprovedText = L"Quillmere context menu extension";

bool IsWindowsNt() { return (GetVersion() & 0x80000000u) == 0; }

// Failures are ignored: there may be nothing to remove.
void RemoveApproval() {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kApprovedKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    RegDeleteValueW(key, kClsidText);
    RegCloseKey(key);
  }
}

class ClassFactory final : public IClassFactory {
public:
  ClassFactory() { AddModuleReference(); }
  ~ClassFactory() { ReleaseModuleReference(); }
  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&references_); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    IUnknown* object = NewContextMenu();
    if (!object) return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock)
      AddModuleReference();
    else
      ReleaseModuleReference();
    return S_OK;
  }

private:
  LONG references_ = 1;
};

}  // namespace

HINSTANCE ModuleInstance() { return g_module; }
void AddModuleReference() { InterlockedIncrement(&g_references); }
void ReleaseModuleReference() { InterlockedDecrement(&g_references); }
bool ModuleInUse() { return InterlockedCompareExchange(&g_references, 0, 0) != 0; }

std::wstring LoadModuleString(UINT id) {
  const wchar_t* text = nullptr;
  // With a zero length LoadStringW hands out a pointer into the resource.
  const int length = LoadStringW(g_module, id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 && text ? std::wstring(text, length) : std::wstring();
}

}  // namespace qm::shellext

using namespace qm::shellext;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllCanUnloadNow() { return ModuleInUse() ? S_FALSE : S_OK; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, kContextMenuClsid)) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) ClassFactory;
  if (!factory) return E_OUTOFMEMORY;
  const HRESULT hr = factory->QueryInterface(iid, out);
  factory->Release();
  return hr;
}

STDAPI DllRegisterServer() {
  if (IsWindowsNt()) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kApprovedKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
      return E_ACCESSDENIED;
    const DWORD size = static_cast<DWORD>((wcslen(kApprovedText) + 1) * sizeof(wchar_t));
    const LONG rc = RegSetValueExW(key, kClsidText, 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(kApprovedText), size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return E_ACCESSDENIED;
  }
  const HRESULT hr = RunRegistrationScript(true);
  // A registration that failed half-way leaves no approval of it behind.
  if (FAILED(hr) && IsWindowsNt()) RemoveApproval();
  return hr;
}

STDAPI DllUnregisterServer() {
  if (IsWindowsNt()) RemoveApproval();
  return RunRegistrationScript(false);
}
