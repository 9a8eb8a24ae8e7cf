// Watching compare.exe from another process: status texts read through the
// other process's memory, repaints observed through update regions.
#include "bench/gui_probe.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace qm::bench {
namespace {

struct WindowSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindTextWindow(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char name[64] = "";
  if (pid == search->pid && GetClassNameA(hwnd, name, sizeof name) &&
      std::strcmp(name, "TextWindow") == 0 && IsWindowVisible(hwnd)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Reads one part of another process's status bar: the text must be copied
// through memory of that process (a pointer into ours would be written
// there, not here).
std::string StatusText(HANDLE process, HWND statusBar, int part) {
  const SIZE_T size = 512;
  void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  if (!remote)
    return std::string();
  std::string text;
  DWORD_PTR length = 0;
  if (SendMessageTimeoutA(statusBar, SB_GETTEXTLENGTHA, part, 0, SMTO_BLOCK, kSendTimeoutMs,
                          &length) &&
      LOWORD(length) < size &&
      SendMessageTimeoutA(statusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(remote),
                          SMTO_BLOCK, kSendTimeoutMs, &length)) {
    char buffer[size] = "";
    SIZE_T read = 0;
    if (ReadProcessMemory(process, remote, buffer, size - 1, &read))
      text.assign(buffer, strnlen(buffer, read));
  }
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return text;
}

bool Ping(HWND hwnd) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_BLOCK, kSendTimeoutMs, &ignored) != 0;
}

// Waits until the window and the pane have painted everything pending.
bool WaitPainted(HWND window, HWND pane) {
  if (!Ping(window))
    return false;
  const double deadline = Now() + kSendTimeoutMs / 1000.0;
  while (GetUpdateRect(window, nullptr, FALSE) || (pane && GetUpdateRect(pane, nullptr, FALSE))) {
    if (Now() > deadline)
      return false;
    Sleep(0);
  }
  return Ping(window);
}

double Median(std::vector<double> v) {
  if (v.empty())
    return 0;
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void PrintFigure(const char* name, const std::vector<double>& seconds, double scale) {
  if (seconds.empty())
    return;
  // The minimum is what an otherwise idle machine gives; the median and the
  // maximum show what sharing it costs.
  std::printf("%s min %.3f median %.3f max %.3f n %zu\n", name,
              *std::min_element(seconds.begin(), seconds.end()) * scale, Median(seconds) * scale,
              *std::max_element(seconds.begin(), seconds.end()) * scale, seconds.size());
}

bool StartSession(const std::string& exe, const std::string& left, const std::string& right,
                  Session* session) {
  std::string command = "\"" + exe + "\" \"" + left + "\" \"" + right + "\"";
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  const double start = Now();
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &session->process)) {
    std::fprintf(stderr, "bench: cannot start %s (error %lu)\n", exe.c_str(), GetLastError());
    return false;
  }
  bool ok = false;
  WindowSearch search = {session->process.dwProcessId, nullptr};
  while (Now() - start < kResultTimeoutMs / 1000.0) {
    if (WaitForSingleObject(session->process.hProcess, 0) == WAIT_OBJECT_0) {
      std::fprintf(stderr, "bench: the program ended before showing a result\n");
      break;
    }
    if (!search.found) {
      EnumWindows(FindTextWindow, reinterpret_cast<LPARAM>(&search));
      session->windowSeconds = Now() - start;
    }
    if (search.found && !session->statusBar) {
      session->statusBar = GetDlgItem(search.found, kStatusBarId);
      if (!session->statusBar)
        session->statusBar = FindWindowExA(search.found, nullptr, STATUSCLASSNAMEA, nullptr);
    }
    if (session->statusBar) {
      std::string text = StatusText(session->process.hProcess, session->statusBar, 3);
      // A window shows "No differences" before its first comparison too, so
      // only a count marks the result (the pair must differ).
      if (text.rfind("Diffs:", 0) == 0) {
        session->status = text;
        ok = true;
        break;
      }
    }
    // Each look costs the program's thread two sent messages and the
    // wineserver a handful of requests: looked at every millisecond, a
    // comparison of millions of lines shares its two processors with the
    // watching and takes seconds longer. Every 20 ms costs the figure at most
    // that much.
    Sleep(kResultPollMs);
  }
  session->window = search.found;
  if (ok) {
    session->pane = FindWindowExA(search.found, nullptr, "TextView", nullptr);
    ok = WaitPainted(search.found, session->pane);
    session->firstPaintSeconds = Now() - start;
  }
  if (!ok)
    std::fprintf(stderr, "bench: no painted result within %lu s\n", kResultTimeoutMs / 1000);
  return ok;
}

void EndSession(Session* session, bool kill) {
  if (!session->process.hProcess)
    return;
  if (kill)
    TerminateProcess(session->process.hProcess, 0);
  else if (session->window)
    PostMessageA(session->window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(session->process.hProcess, 10000) != WAIT_OBJECT_0)
    TerminateProcess(session->process.hProcess, 1);
  CloseHandle(session->process.hThread);
  CloseHandle(session->process.hProcess);
  session->process = PROCESS_INFORMATION{};
}

}  // namespace qm::bench
