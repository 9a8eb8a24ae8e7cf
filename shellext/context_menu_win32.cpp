#include "shellext/context_menu_win32.h"

#include <errno.h>
#include <process.h>
#include <shellapi.h>
#include <string.h>

#include <new>
#include <string>
#include <vector>

#include "resources/pairlaunch_res.h"
#include "shellext/launch_plan.h"
#include "shellext/module_win32.h"

namespace qm::shellext {

namespace {

constexpr const wchar_t* kProductKey = L"Software\\Ambervale\\Quillmere";

// "InstallDir" of the machine's product key; empty when the key, the value
// or its text is missing. Read whole, however long.
std::wstring ReadInstallDir() {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return std::wstring();
  std::wstring text;
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, L"InstallDir", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      type == REG_SZ && size >= sizeof(wchar_t)) {
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, L"InstallDir", nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) == ERROR_SUCCESS)
      text = buffer.data();  // the stored text need not end with its zero
  }
  RegCloseKey(key);
  return text;
}

// The message with "%s" replaced by insert.
std::wstring Format(UINT id, const std::wstring& insert) {
  std::wstring text = LoadModuleString(id);
  const size_t at = text.find(L"%s");
  if (at != std::wstring::npos) text.replace(at, 2, insert);
  return text;
}

void ShowError(HWND owner, const std::wstring& text) {
  // No caption: the system's own error caption.
  MessageBoxW(owner, text.c_str(), nullptr, MB_OK | MB_ICONERROR);
}

class ContextMenu final : public IShellExtInit, public IContextMenu {
public:
  ContextMenu() {
    AddModuleReference();
    bitmap_ = LoadBitmapW(ModuleInstance(), MAKEINTRESOURCEW(IDB_PAIRLAUNCH_MENU));
  }
  ~ContextMenu() {
    if (bitmap_) DeleteObject(bitmap_);
    ReleaseModuleReference();
  }
  ContextMenu(const ContextMenu&) = delete;
  ContextMenu& operator=(const ContextMenu&) = delete;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellExtInit))
      *out = static_cast<IShellExtInit*>(this);
    else if (IsEqualIID(iid, IID_IContextMenu))
      *out = static_cast<IContextMenu*>(this);
    else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&references_); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }

  // IShellExtInit
  STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY) override {
    if (!data || folder) return E_INVALIDARG;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&format, &medium))) return E_INVALIDARG;
    HRESULT hr = E_INVALIDARG;
    if (auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal))) {
      items_ = ReadItems(drop);
      if (!items_.empty()) hr = S_OK;
      GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return hr;
  }

  // IContextMenu
  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId,
                                UINT flags) override {
    // No room for our command id: add nothing rather than an id the shell
    // does not route back to us.
    if ((flags & CMF_DEFAULTONLY) || firstId > lastId) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    if (index == static_cast<UINT>(-1)) index = 0;
    const std::wstring text = LoadModuleString(IDS_PAIRLAUNCH_MENU_TEXT);
    if (!InsertMenuW(menu, index, MF_BYPOSITION | MF_STRING, firstId, text.c_str()))
      return HRESULT_FROM_WIN32(GetLastError());
    if (bitmap_) SetMenuItemBitmaps(menu, index, MF_BYPOSITION, bitmap_, nullptr);
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1);
  }

  STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT*, LPSTR buffer,
                                UINT size) override {
    if (command != 0) return E_INVALIDARG;
    if (!buffer || size == 0) return S_OK;
    const std::wstring help = LoadModuleString(IDS_PAIRLAUNCH_HELP_TEXT);
    if (type & GCS_UNICODE) {
      lstrcpynW(reinterpret_cast<LPWSTR>(buffer), help.c_str(), static_cast<int>(size));
    } else {
      const int length =
          WideCharToMultiByte(CP_ACP, 0, help.c_str(), -1, nullptr, 0, nullptr, nullptr);
      if (length <= 0) return E_FAIL;
      std::string ansi(length, '\0');
      WideCharToMultiByte(CP_ACP, 0, help.c_str(), -1, ansi.data(), length, nullptr, nullptr);
      lstrcpynA(buffer, ansi.c_str(), static_cast<int>(size));
    }
    return S_OK;
  }

  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override {
    if (!info) return E_INVALIDARG;
    const auto verb = reinterpret_cast<UINT_PTR>(info->lpVerb);
    if (HIWORD(verb) != 0 || LOWORD(verb) != 0) return E_INVALIDARG;
    const LaunchPlan plan = PlanLaunch(items_);
    switch (plan.decision) {
      case LaunchDecision::NoItems:
        return E_INVALIDARG;
      case LaunchDecision::TooMany:
        ShowError(info->hwnd, LoadModuleString(IDS_PAIRLAUNCH_TOO_MANY));
        return S_OK;
      case LaunchDecision::PathTooLong:
        ShowError(info->hwnd, Format(IDS_PAIRLAUNCH_PATH_TOO_LONG, plan.longPath));
        return S_OK;
      case LaunchDecision::Start:
        break;
    }
    const std::wstring program = ProgramPath(ReadInstallDir());
    if (program.empty()) {
      ShowError(info->hwnd, LoadModuleString(IDS_PAIRLAUNCH_NOT_FOUND));
      return S_OK;
    }
    Start(info->hwnd, program, plan.args);
    return S_OK;
  }

private:
  // Every path of the drop, whole; an item whose path cannot be read is
  // left out.
  static std::vector<std::wstring> ReadItems(HDROP drop) {
    std::vector<std::wstring> items;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      const UINT length = DragQueryFileW(drop, i, nullptr, 0);
      if (length == 0) continue;
      std::wstring path(length + 1, L'\0');
      const UINT copied = DragQueryFileW(drop, i, path.data(), length + 1);
      if (copied == 0) continue;
      path.resize(copied);
      items.push_back(std::move(path));
    }
    return items;
  }

  // The runtime joins the arguments with blanks into the command line; the
  // quotes of the paths keep each path one argument. The process is not
  // waited for and its handle is not kept.
  static void Start(HWND owner, const std::wstring& program,
                    const std::vector<std::wstring>& args) {
    std::vector<const wchar_t*> argv;
    for (const std::wstring& arg : args) argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    const intptr_t process = _wspawnv(_P_NOWAIT, program.c_str(), argv.data());
    if (process == -1) {
      const int error = errno;
      ShowError(owner, Format(IDS_PAIRLAUNCH_START_FAILED, _wcserror(error)));
      return;
    }
    CloseHandle(reinterpret_cast<HANDLE>(process));
  }

  LONG references_ = 1;
  HBITMAP bitmap_ = nullptr;
  std::vector<std::wstring> items_;
};

}  // namespace

IUnknown* NewContextMenu() {
  return static_cast<IShellExtInit*>(new (std::nothrow) ContextMenu);
}

}  // namespace qm::shellext
