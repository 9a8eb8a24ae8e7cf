// Plays the desktop shell for the installer test: creates the registered
// context-menu extension, hands it the paths given on the command line,
// chooses "Compare..." and waits for the comparison window that opens.
// Prints the program that opened it and the texts of its two name boxes,
// one per line in UTF-8, then closes it.
//
//   shell_invoke.exe PATH [PATH]     exit code 0 when a window opened
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/win/drop_data.h"

namespace {

const CLSID kClsid = {0x1dc5d4e2, 0x06bb, 0x416c, {0x9f, 0xd3, 0xc7, 0xf1, 0x92, 0x02, 0xad, 0x34}};
constexpr int kNameBoxIds[2] = {20402, 20403};

std::string Utf8(const std::wstring& wide) {
  std::string out(wide.size() * 3, '\0');
  out.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                 out.data(), static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}

BOOL CALLBACK FindTextWindow(HWND window, LPARAM param) {
  wchar_t name[32] = L"";
  GetClassNameW(window, name, 32);
  if (wcscmp(name, L"TextWindow") == 0 && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
  }
  return TRUE;
}

std::wstring Text(HWND window) {
  wchar_t text[1024] = L"";
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      5000, &ignored);
  return text;
}

int Fail(const char* what, HRESULT hr = S_OK) {
  std::fprintf(stderr, "shell_invoke: %s (0x%08lx)\n", what, static_cast<unsigned long>(hr));
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Fail("usage: shell_invoke PATH [PATH]");
  std::vector<std::wstring> paths(argv + 1, argv + argc);
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return Fail("COM");
  IShellExtInit* init = nullptr;
  HRESULT hr = CoCreateInstance(kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                reinterpret_cast<void**>(&init));
  if (FAILED(hr)) return Fail("the extension is not registered", hr);
  qm::test::DropData data(paths);
  IContextMenu* menu = nullptr;
  hr = init->Initialize(nullptr, &data, nullptr);
  init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu));
  init->Release();
  if (FAILED(hr) || !menu) return Fail("Initialize", hr);
  HMENU popup = CreatePopupMenu();
  hr = menu->QueryContextMenu(popup, 0, 1, 100, CMF_NORMAL);
  DestroyMenu(popup);
  if (hr != MAKE_HRESULT(0, 0, 1)) return Fail("QueryContextMenu added no item", hr);
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.lpVerb = MAKEINTRESOURCEA(0);
  info.nShow = SW_SHOWNORMAL;
  hr = menu->InvokeCommand(&info);
  menu->Release();
  if (FAILED(hr)) return Fail("InvokeCommand", hr);

  HWND window = nullptr;
  for (int i = 0; i < 750 && !window; ++i) {
    EnumWindows(FindTextWindow, reinterpret_cast<LPARAM>(&window));
    if (!window) Sleep(20);
  }
  if (!window) return Fail("no comparison window opened");
  Sleep(300);  // the names are filled right after the window appears
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  std::wstring image = L"?";
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE,
                               FALSE, pid);
  if (process) {
    wchar_t buffer[MAX_PATH * 2];
    DWORD size = MAX_PATH * 2;
    if (QueryFullProcessImageNameW(process, 0, buffer, &size)) image.assign(buffer, size);
  }
  std::printf("%s\n", Utf8(image).c_str());
  for (int id : kNameBoxIds) std::printf("%s\n", Utf8(Text(GetDlgItem(window, id))).c_str());
  std::fflush(stdout);
  PostMessageW(window, WM_CLOSE, 0, 0);
  if (process) {
    if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
    CloseHandle(process);
  }
  CoUninitialize();
  return 0;
}
