#include "tests/e2e/driver.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace qm::e2e {

namespace {

constexpr int kNameBoxId[2] = {20402, 20403};
constexpr int kToolBarId = 20400;
constexpr int kStatusBarId = 20401;

HKEY OpenSettings(REGSAM access) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, access, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

struct EnumRequest {
  DWORD pid;
  const char* className;  // null: any class
  bool visibleOnly;
  std::vector<HWND>* found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* request = reinterpret_cast<EnumRequest*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != request->pid) return TRUE;
  if (request->visibleOnly && !IsWindowVisible(window)) return TRUE;
  if (request->className) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, request->className) != 0) return TRUE;
  }
  request->found->push_back(window);
  return TRUE;
}

std::vector<HWND> TopWindowsOf(DWORD pid, const char* className) {
  std::vector<HWND> found;
  EnumRequest request{pid, className, true, &found};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&request));
  return found;
}

struct BarSearch {
  HWND bars[2];
  int count;
};

BOOL CALLBACK CollectHorizontalBar(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<BarSearch*>(param);
  char name[32] = "";
  GetClassNameA(child, name, sizeof name);
  const LONG style = GetWindowLongA(child, GWL_STYLE);
  if (_stricmp(name, "ScrollBar") == 0 && (style & SBS_VERT) == 0 && search->count < 2)
    search->bars[search->count++] = child;
  return TRUE;
}

int LeftEdge(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect.left;
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = path + "\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(path.c_str());
}

std::string ExeFolder() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\'));
}

}  // namespace

void ResetSettings() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
  SetSetting("TipOfTheDay.ShowOnStartup", "false");
}

void SetSetting(const char* name, const std::string& text) {
  if (HKEY key = OpenSettings(KEY_WRITE)) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
  }
}

void SetSetting(const char* name, DWORD value) {
  if (HKEY key = OpenSettings(KEY_WRITE)) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
  }
}

std::string GetSettingText(const char* name) {
  char text[1024] = "";
  DWORD size = sizeof text - 1, type = 0;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return {};
  LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS || type != REG_SZ) return {};
  return text;
}

bool HasSetting(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  LONG rc = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

TempDir::TempDir(const std::string& tag) {
  char base[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, base);
  path_ = std::string(base) + "qm-e2e-" + tag + "-" + std::to_string(GetCurrentProcessId());
  RemoveTree(path_);
  CreateDirectoryA(path_.c_str(), nullptr);
}

TempDir::~TempDir() { RemoveTree(path_); }

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
  std::string full = File(name);
  std::ofstream out(full, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return full;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ProgramPath() { return ExeFolder() + "\\compare.exe"; }

std::string WindowText(HWND window) {
  char text[2048] = "";
  DWORD_PTR ignored = 0;
  // WM_GETTEXT is marshalled between processes; the time-out keeps a hung
  // program from hanging the test.
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 5000, &ignored);
  return text;
}

Program::~Program() { Kill(); }

bool Program::Start(const std::string& args) {
  Kill();
  std::string command = "\"" + ProgramPath() + "\"";
  if (!args.empty()) command += " " + args;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info_))
    return false;
  started_ = true;
  WaitForInputIdle(info_.hProcess, 10000);
  return true;
}

std::vector<HWND> Program::Windows(const char* className) const {
  return started_ ? TopWindowsOf(info_.dwProcessId, className) : std::vector<HWND>{};
}

HWND Program::WaitWindow(const char* className, DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitFor(
      [&] {
        auto windows = Windows(className);
        if (!windows.empty()) found = windows.front();
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

HWND Program::FindMessageBox() const {
  for (HWND box : Windows("#32770"))
    if (GetDlgItem(box, 0xFFFF)) return box;
  return nullptr;
}

HWND Program::WaitMessageBox(DWORD timeoutMs) const {
  HWND box = nullptr;
  WaitFor([&] { return (box = FindMessageBox()) != nullptr; }, timeoutMs);
  return box;
}

HWND Program::WaitDialog(const char* title, DWORD timeoutMs) const {
  HWND dialog = nullptr;
  WaitFor(
      [&] {
        for (HWND box : Windows("#32770"))
          if (WindowText(box) == title) dialog = box;
        return dialog != nullptr;
      },
      timeoutMs);
  return dialog;
}

std::string MessageBoxText(HWND box) {
  // Wine's message box holds its line breaks as CR LF: compare by LF.
  std::string text = WindowText(GetDlgItem(box, 0xFFFF)), plain;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) plain += text[i];
  return plain;
}

std::string Program::Answer(HWND box, int button) const {
  std::string text = MessageBoxText(box);
  HWND control = GetDlgItem(box, button);
  if (control) PostMessageA(control, BM_CLICK, 0, 0);
  WaitFor([&] { return !IsWindow(box); }, 5000);
  return text;
}

std::string Program::AnswerNext(int button, DWORD timeoutMs) const {
  HWND box = WaitMessageBox(timeoutMs);
  return box ? Answer(box, button) : std::string("(no message box)");
}

bool Program::Running() const {
  return started_ && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Program::ExitCode(DWORD* code) const {
  return started_ && GetExitCodeProcess(info_.hProcess, code) && *code != STILL_ACTIVE;
}

bool Program::WaitExit(DWORD timeoutMs) {
  if (!started_) return true;
  return WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

void Program::Kill() {
  if (!started_) return;
  if (Running()) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
  started_ = false;
}

void Program::Settle(HWND window) const {
  // A sent message is handled only after everything posted before it has
  // been pulled from the queue, so one round trip flushes the queue.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
}

std::string TextWindowProbe::Title() const { return WindowText(window_); }

std::string TextWindowProbe::StatusPart(int part) const {
  HWND status = GetDlgItem(window_, kStatusBarId);
  if (!status) return "(no status bar)";
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                               FALSE, program_.Id());
  if (!process) return "(no access)";
  // SB_GETTEXT writes into the caller's buffer; between processes that
  // buffer has to live in the program's own memory.
  constexpr SIZE_T kSize = 1024;
  void* remote = VirtualAllocEx(process, nullptr, kSize, MEM_COMMIT, PAGE_READWRITE);
  std::string text;
  if (remote) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(status, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(remote),
                        SMTO_ABORTIFHUNG, 5000, &result);
    char local[kSize] = "";
    SIZE_T read = 0;
    ReadProcessMemory(process, remote, local, kSize - 1, &read);
    text = local;
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return text;
}

std::string TextWindowProbe::NameText(int side) const {
  return WindowText(GetDlgItem(window_, kNameBoxId[side]));
}

void TextWindowProbe::SetNameText(int side, const std::string& text) const {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(GetDlgItem(window_, kNameBoxId[side]), WM_SETTEXT, 0,
                      reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000, &ignored);
}

void TextWindowProbe::Send(int command) const {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window_, WM_COMMAND, command, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
}

void TextWindowProbe::Post(int command) const { PostMessageA(window_, WM_COMMAND, command, 0); }

void TextWindowProbe::Key(UINT virtualKey) const {
  // Posted to the window itself: the program's message loop runs it through
  // the window's accelerator table like a real key press.
  UINT scan = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
  PostMessageA(window_, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
  PostMessageA(window_, WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u);
  program_.Settle(window_);
}

void TextWindowProbe::ToolBarClick(int command) const {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window_, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED),
                      reinterpret_cast<LPARAM>(GetDlgItem(window_, kToolBarId)), SMTO_ABORTIFHUNG,
                      10000, &ignored);
}

void TextWindowProbe::Chord(UINT modifier, UINT virtualKey) const {
  SetForegroundWindow(window_);
  WaitFor([&] { return GetForegroundWindow() == window_; }, 2000);
  INPUT keys[4] = {};
  const UINT order[4] = {modifier, virtualKey, virtualKey, modifier};
  for (int i = 0; i < 4; ++i) {
    keys[i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = static_cast<WORD>(order[i]);
    keys[i].ki.wScan = static_cast<WORD>(MapVirtualKeyA(order[i], MAPVK_VK_TO_VSC));
    if (i >= 2) keys[i].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  // Home, End and the arrows are extended keys: without the flag they read
  // as the number pad's.
  for (int i = 1; i < 3; ++i)
    if (virtualKey >= VK_PRIOR && virtualKey <= VK_DOWN) keys[i].ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  SendInput(4, keys, sizeof(INPUT));
  program_.Settle(window_);
}

HWND TextWindowProbe::HorizontalBar(int side) const {
  BarSearch search{{nullptr, nullptr}, 0};
  EnumChildWindows(window_, CollectHorizontalBar, reinterpret_cast<LPARAM>(&search));
  if (search.count < 2) return nullptr;
  const bool firstIsLeft = LeftEdge(search.bars[0]) < LeftEdge(search.bars[1]);
  return search.bars[(side == 0) == firstIsLeft ? 0 : 1];
}

SCROLLINFO TextWindowProbe::HorizontalScroll(int side) const {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  if (HWND bar = HorizontalBar(side)) GetScrollInfo(bar, SB_CTL, &info);
  return info;
}

bool TextWindowProbe::ToolButtonEnabled(int command) const {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(GetDlgItem(window_, kToolBarId), TB_ISBUTTONENABLED, command, 0,
                      SMTO_ABORTIFHUNG, 5000, &result);
  return result != 0;
}

bool TextWindowProbe::ChildVisible(int id) const {
  HWND child = GetDlgItem(window_, id);
  return child && IsWindowVisible(child);
}

}  // namespace qm::e2e
