// pairlaunch.dll as the shell meets it: registered with regsvr32, created
// through CoCreateInstance, handed a CF_HDROP selection, asked for its menu
// item and help text and invoked. A recorder program that stands in for
// compare.exe writes the command line it receives; the last case starts
// the real compare.exe and reads the paths from its window.

#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/driver.h"
#include "tests/win/drop_data.h"

namespace {

using qm::e2e::WaitFor;
using qm::test::DropData;

const CLSID kClsid = {0x1dc5d4e2, 0x06bb, 0x416c, {0x9f, 0xd3, 0xc7, 0xf1, 0x92, 0x02, 0xad, 0x34}};
constexpr const wchar_t* kClsidText = L"{1dc5d4e2-06bb-416c-9fd3-c7f19202ad34}";
constexpr const wchar_t* kProductKey = L"Software\\Ambervale\\Quillmere";
constexpr const wchar_t* kApprovedKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

std::wstring Wide(const std::string& utf8) {
  std::wstring out(utf8.size(), L'\0');
  out.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                 out.data(), static_cast<int>(out.size())));
  return out;
}

std::string Utf8(const std::wstring& wide) {
  std::string out(wide.size() * 3, '\0');
  out.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                 out.data(), static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}

std::wstring BesideTest(const wchar_t* name) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self);
  return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

std::optional<std::wstring> ReadText(HKEY root, const std::wstring& path, const wchar_t* name) {
  wchar_t buffer[1024];
  DWORD size = sizeof buffer;
  if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(buffer);
}

bool KeyExists(HKEY root, const std::wstring& path) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void SetInstallDir(const std::optional<std::wstring>& dir) {
  if (!dir) {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kProductKey, L"InstallDir");
    return;
  }
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, kProductKey, L"InstallDir", REG_SZ, dir->c_str(),
                  static_cast<DWORD>((dir->size() + 1) * sizeof(wchar_t)));
}

DWORD Regsvr32(bool unregister) {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  std::wstring line = L"\"" + std::wstring(system) + L"\\regsvr32.exe\" /s " +
                      (unregister ? L"/u " : L"") + L"\"" + BesideTest(L"pairlaunch.dll") + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return 0xFFFFFFFF;
  WaitForSingleObject(process.hProcess, 30000);
  DWORD code = 0xFFFFFFFF;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return code;
}

struct BoxSeen {
  std::wstring text, caption;
};

// Answers the message box the extension raises on this thread while
// InvokeCommand runs, remembering what it said.
class BoxWatcher {
public:
  BoxWatcher() : thread_([this] { Watch(); }) {}
  BoxSeen Finish() {
    done_ = true;
    thread_.join();
    return seen_;
  }

private:
  static BOOL CALLBACK Collect(HWND window, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (pid == GetCurrentProcessId() && wcscmp(name, L"#32770") == 0 &&
        GetDlgItem(window, 0xFFFF) && IsWindowVisible(window)) {
      *reinterpret_cast<HWND*>(param) = window;
      return FALSE;
    }
    return TRUE;
  }
  void Watch() {
    while (!done_) {
      HWND box = nullptr;
      EnumWindows(Collect, reinterpret_cast<LPARAM>(&box));
      if (box) {
        wchar_t text[1024] = L"", caption[256] = L"";
        GetDlgItemTextW(box, 0xFFFF, text, 1024);
        GetWindowTextW(box, caption, 256);
        seen_ = {text, caption};
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(20);
    }
  }

  std::atomic<bool> done_{false};
  BoxSeen seen_;
  std::thread thread_;
};

class PairlaunchTest : public ::testing::Test {
protected:
  void SetUp() override {
    savedInstallDir_ = ReadText(HKEY_LOCAL_MACHINE, kProductKey, L"InstallDir");
    ASSERT_EQ(Regsvr32(false), 0u) << "regsvr32 could not register pairlaunch.dll";
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    program_ = std::wstring(temp) + L"qm pairlaunch test";
    CreateDirectoryW(program_.c_str(), nullptr);
    CopyFileW(BesideTest(L"ctx_recorder.exe").c_str(), (program_ + L"\\compare.exe").c_str(),
              FALSE);
    DeleteFileW(Record().c_str());
    SetInstallDir(program_);
  }
  void TearDown() override {
    CoUninitialize();
    SetInstallDir(savedInstallDir_);
    DeleteFileW(Record().c_str());
    DeleteFileW((program_ + L"\\compare.exe").c_str());
    RemoveDirectoryW(program_.c_str());
    EXPECT_EQ(Regsvr32(true), 0u);
  }

  std::wstring Record() const { return program_ + L"\\record.txt"; }

  // The recorded command line, then its arguments; nothing if the program
  // did not run within the wait.
  std::vector<std::string> WaitRecord(DWORD timeoutMs = 10000) const {
    std::vector<std::string> lines;
    if (!WaitFor([&] { return GetFileAttributesW(Record().c_str()) != INVALID_FILE_ATTRIBUTES; },
                 timeoutMs))
      return lines;
    HANDLE file = CreateFileW(Record().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    std::string text(64 * 1024, '\0');
    DWORD read = 0;
    ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
    CloseHandle(file);
    text.resize(read);
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  struct Menu {
    IContextMenu* menu = nullptr;
    ~Menu() {
      if (menu) menu->Release();
    }
  };

  // A new extension object initialised with the paths.
  bool Create(const std::vector<std::wstring>& paths, Menu* out) {
    IShellExtInit* init = nullptr;
    if (FAILED(CoCreateInstance(kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                reinterpret_cast<void**>(&init))))
      return false;
    DropData data(paths);
    const HRESULT hr = init->Initialize(nullptr, &data, nullptr);
    init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&out->menu));
    init->Release();
    return SUCCEEDED(hr) && out->menu;
  }

  // Invokes command 0 and answers any message box.
  BoxSeen Invoke(IContextMenu* menu, HRESULT* result = nullptr, LPCSTR verb = MAKEINTRESOURCEA(0)) {
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.lpVerb = verb;
    info.nShow = SW_SHOWNORMAL;
    BoxWatcher watcher;
    const HRESULT hr = menu->InvokeCommand(&info);
    if (result) *result = hr;
    return watcher.Finish();
  }

  std::optional<std::wstring> savedInstallDir_;
  std::wstring program_;
};

TEST_F(PairlaunchTest, RegistersExactlyItsKeysAndUnregistersThemOnly) {
  const std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsidText;
  RegSetKeyValueW(HKEY_CLASSES_ROOT, L"*\\shellex\\ContextMenuHandlers\\QmOther", nullptr, REG_SZ,
                  L"{x}", 8);
  EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, clsidKey, nullptr), L"Quillmere context menu");
  EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", nullptr),
            BesideTest(L"pairlaunch.dll"));
  EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", L"ThreadingModel"),
            L"Apartment");
  for (const wchar_t* handlers :
       {L"*\\shellex\\ContextMenuHandlers", L"Directory\\ShellEx\\ContextMenuHandlers"})
    EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, std::wstring(handlers) + L"\\Quillmere", nullptr),
              kClsidText);
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kApprovedKey, kClsidText),
            L"Quillmere context menu extension");

  ASSERT_EQ(Regsvr32(true), 0u);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, clsidKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"*\\shellex\\ContextMenuHandlers\\Quillmere"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Directory\\ShellEx\\ContextMenuHandlers\\Quillmere"));
  EXPECT_FALSE(ReadText(HKEY_LOCAL_MACHINE, kApprovedKey, kClsidText));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"*\\shellex\\ContextMenuHandlers\\QmOther"));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"Directory\\ShellEx\\ContextMenuHandlers"));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"*\\shellex\\ContextMenuHandlers\\QmOther");
  // Registered again for TearDown, which unregisters.
  ASSERT_EQ(Regsvr32(false), 0u);
}

TEST_F(PairlaunchTest, MenuItemBitmapAndHelpText) {
  Menu object;
  ASSERT_TRUE(Create({L"C:\\a.txt"}, &object));
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, 1, L"Open");
  AppendMenuW(menu, MF_STRING, 2, L"Delete");

  EXPECT_EQ(object.menu->QueryContextMenu(menu, 1, 100, 200, CMF_DEFAULTONLY), S_OK);
  EXPECT_EQ(GetMenuItemCount(menu), 2);
  // No command id left for the item: nothing is added.
  EXPECT_EQ(object.menu->QueryContextMenu(menu, 1, 201, 200, CMF_NORMAL), S_OK);
  EXPECT_EQ(GetMenuItemCount(menu), 2);
  EXPECT_EQ(object.menu->QueryContextMenu(menu, 1, 100, 200, CMF_NORMAL), MAKE_HRESULT(0, 0, 1));
  ASSERT_EQ(GetMenuItemCount(menu), 3);
  wchar_t text[64] = L"";
  GetMenuStringW(menu, 1, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"&Compare...");
  EXPECT_EQ(GetMenuItemID(menu, 1), 100u);
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_CHECKMARKS;
  ASSERT_TRUE(GetMenuItemInfoW(menu, 1, TRUE, &item));
  EXPECT_TRUE(item.hbmpUnchecked) << "the menu picture comes from the DLL's own resources";
  BITMAP picture{};
  if (item.hbmpUnchecked) GetObjectW(item.hbmpUnchecked, sizeof picture, &picture);
  EXPECT_EQ(picture.bmWidth, 13);
  // Index -1 puts the item first.
  EXPECT_EQ(object.menu->QueryContextMenu(menu, static_cast<UINT>(-1), 300, 400, CMF_NORMAL),
            MAKE_HRESULT(0, 0, 1));
  EXPECT_EQ(GetMenuItemID(menu, 0), 300u);
  DestroyMenu(menu);

  char ansi[64] = "";
  EXPECT_EQ(object.menu->GetCommandString(0, GCS_HELPTEXTA, nullptr, ansi, 64), S_OK);
  EXPECT_STREQ(ansi, "Compare selected items with Quillmere");
  wchar_t wide[64] = L"";
  EXPECT_EQ(object.menu->GetCommandString(0, GCS_HELPTEXTW, nullptr,
                                          reinterpret_cast<LPSTR>(wide), 64),
            S_OK);
  EXPECT_STREQ(wide, L"Compare selected items with Quillmere");
  char shortBuffer[9] = "xxxxxxxx";
  EXPECT_EQ(object.menu->GetCommandString(0, GCS_HELPTEXTA, nullptr, shortBuffer, 8), S_OK);
  EXPECT_STREQ(shortBuffer, "Compare");
  EXPECT_EQ(object.menu->GetCommandString(1, GCS_HELPTEXTA, nullptr, ansi, 64), E_INVALIDARG);
}

// The menu as the shell pops it up, saved for a person to look at: the item
// with its picture beside the host's own items.
HWND g_shownMenu = nullptr;
std::string g_menuShot;

void CALLBACK ShootMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  g_shownMenu = FindWindowW(L"#32768", nullptr);
  if (g_shownMenu) g_menuShot = qm::e2e::SaveScreenshot(g_shownMenu, "pairlaunch_menu");
  EndMenu();
}

TEST_F(PairlaunchTest, PoppedUpMenuShowsTheItem) {
  Menu object;
  ASSERT_TRUE(Create({L"C:\\a.txt", L"C:\\b.txt"}, &object));
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, 1, L"&Open");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, 2, L"&Delete");
  object.menu->QueryContextMenu(menu, 1, 100, 200, CMF_NORMAL);
  HWND owner = CreateWindowW(L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 100, 100, 50, 50, nullptr,
                             nullptr, nullptr, nullptr);
  SetForegroundWindow(owner);
  SetTimer(nullptr, 0, 700, ShootMenu);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, 120, 120, 0, owner, nullptr);
  DestroyWindow(owner);
  DestroyMenu(menu);
  EXPECT_TRUE(g_shownMenu);
  EXPECT_FALSE(g_menuShot.empty());
}

TEST_F(PairlaunchTest, InitializeRefusesWhatIsNoSelection) {
  IShellExtInit* init = nullptr;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                         reinterpret_cast<void**>(&init))));
  DropData one({L"C:\\a.txt"}), none({}), noDrop({L"C:\\a.txt"}, false);
  EXPECT_EQ(init->Initialize(nullptr, nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(init->Initialize(nullptr, &none, nullptr), E_INVALIDARG);
  EXPECT_EQ(init->Initialize(nullptr, &noDrop, nullptr), E_INVALIDARG);
  PIDLIST_ABSOLUTE desktop = nullptr;
  SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop);
  EXPECT_EQ(init->Initialize(desktop, &one, nullptr), E_INVALIDARG);
  CoTaskMemFree(desktop);
  EXPECT_EQ(init->Initialize(nullptr, &one, nullptr), S_OK);
  init->Release();
}

TEST_F(PairlaunchTest, ChoosingTheItemStartsTheProgramWithTheSelectedPaths) {
  const std::wstring spaced = L"C:\\My Files\\left side.txt";
  const std::wstring folder = L"C:\\windows";
  const std::wstring other = L"C:\\Gr\u00fc\u00dfe \u4e2d\u6587\\b.txt";
  const struct {
    std::vector<std::wstring> selection;
    std::wstring commandLine;  // as the program receives it
    std::wstring left, right;  // as its runtime splits it
  } rows[] = {
      {{spaced}, L"compare.exe /ctx \"" + spaced + L"\" \"" + spaced + L"\"", spaced, spaced},
      {{spaced, folder}, L"compare.exe /ctx \"" + folder + L"\" \"" + spaced + L"\"", folder,
       spaced},
      {{other, L"D:\\"}, L"compare.exe /ctx \"D:\\\\\" \"" + other + L"\"", L"D:\\", other},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Utf8(row.commandLine));
    DeleteFileW(Record().c_str());
    Menu object;
    ASSERT_TRUE(Create(row.selection, &object));
    HRESULT hr = E_FAIL;
    const BoxSeen box = Invoke(object.menu, &hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(box.text, L"");
    const auto lines = WaitRecord();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], Utf8(row.commandLine));
    EXPECT_EQ(lines[2], "/ctx");
    EXPECT_EQ(lines[3], Utf8(row.left));
    EXPECT_EQ(lines[4], Utf8(row.right));
  }
}

TEST_F(PairlaunchTest, RefusalsSayWhyAndStartNothing) {
  const std::wstring tooLong = L"C:\\" + std::wstring(240, L'd') + L"\\" + std::wstring(30, L'f');
  const struct {
    const char* why;
    std::vector<std::wstring> selection;
    std::optional<std::wstring> installDir;  // the test's recorder folder unless set
    std::wstring message;                    // the start of the message
  } rows[] = {
      {"three items", {L"C:\\a", L"C:\\b", L"C:\\c"}, std::nullopt,
       L"You cannot select more than 2 files or folders."},
      {"a path the program cannot take", {L"C:\\a", tooLong}, std::nullopt,
       L"This path is too long to be compared (Quillmere takes at most 259 characters):\n" +
           tooLong},
      {"no installation folder", {L"C:\\a"}, L"", L"Cannot find Quillmere."},
      {"no program in it", {L"C:\\a"}, L"C:\\no such folder", L"An error occurred:\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.why);
    SetInstallDir(program_);
    if (row.installDir) {
      if (row.installDir->empty()) SetInstallDir(std::nullopt);
      else SetInstallDir(*row.installDir);
    }
    Menu object;
    ASSERT_TRUE(Create(row.selection, &object));
    HRESULT hr = E_FAIL;
    const BoxSeen box = Invoke(object.menu, &hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(box.text.substr(0, row.message.size()), row.message);
    EXPECT_GT(box.text.size(), 0u);
    EXPECT_EQ(box.caption, L"Error");
    EXPECT_TRUE(WaitRecord(300).empty());
  }
  SetInstallDir(program_);
  Menu object;
  ASSERT_TRUE(Create({L"C:\\a"}, &object));
  HRESULT hr = S_OK;
  EXPECT_EQ(Invoke(object.menu, &hr, "open").text, L"");
  EXPECT_EQ(hr, E_INVALIDARG);
  EXPECT_EQ(Invoke(object.menu, &hr, MAKEINTRESOURCEA(1)).text, L"");
  EXPECT_EQ(hr, E_INVALIDARG);
  EXPECT_TRUE(WaitRecord(300).empty());
}

TEST_F(PairlaunchTest, ModuleUnloadsOnlyWhenNothingIsAlive) {
  IClassFactory* factory = nullptr;
  ASSERT_TRUE(SUCCEEDED(CoGetClassObject(kClsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                         reinterpret_cast<void**>(&factory))));
  HMODULE module = GetModuleHandleW(L"pairlaunch.dll");
  ASSERT_TRUE(module);
  auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  ASSERT_TRUE(canUnload);
  EXPECT_EQ(canUnload(), S_FALSE);  // the factory itself
  IUnknown* object = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&object)),
            S_OK);
  IUnknown* refused = nullptr;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDataObject, reinterpret_cast<void**>(&refused)),
            E_NOINTERFACE);
  EXPECT_EQ(refused, nullptr);
  factory->LockServer(TRUE);
  factory->Release();
  EXPECT_EQ(canUnload(), S_FALSE);
  object->Release();
  EXPECT_EQ(canUnload(), S_FALSE);  // the lock
  ASSERT_TRUE(SUCCEEDED(CoGetClassObject(kClsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                         reinterpret_cast<void**>(&factory))));
  factory->LockServer(FALSE);
  factory->Release();
  EXPECT_EQ(canUnload(), S_OK);
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

TEST_F(PairlaunchTest, TheRealProgramOpensOnBothPaths) {
  qm::e2e::ResetSettings();
  qm::e2e::TempDir files("pairlaunch real");
  const std::string first = files.Write("first one.txt", "alpha\r\nbeta\r\n");
  const std::string second = files.Write("second.txt", "alpha\r\ngamma\r\n");
  const std::wstring bin = BesideTest(L"");
  SetInstallDir(bin.substr(0, bin.size() - 1));
  Menu object;
  ASSERT_TRUE(Create({Wide(first), Wide(second)}, &object));
  EXPECT_EQ(Invoke(object.menu).text, L"");
  HWND window = nullptr;
  ASSERT_TRUE(WaitFor([&] { return !EnumWindows(FindTextWindow, reinterpret_cast<LPARAM>(&window)) && window; }, 15000));
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  EXPECT_NE(pid, GetCurrentProcessId());
  const auto nameText = [&](int id) { return qm::e2e::WindowText(GetDlgItem(window, id)); };
  EXPECT_TRUE(WaitFor([&] { return nameText(20402) == second && nameText(20403) == first; }))
      << nameText(20402) << " | " << nameText(20403);
  Sleep(500);
  qm::e2e::SaveScreenshot(window, "pairlaunch_started_compare");
  PostMessageW(window, WM_CLOSE, 0, 0);
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
  if (process) {
    if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
    CloseHandle(process);
  }
}

}  // namespace
