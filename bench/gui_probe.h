// Shared by the GUI benchmarks: watching compare.exe from another process
// under Wine, without hooks in the program.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qm::bench {

constexpr UINT kStatusBarId = 20401;
constexpr DWORD kResultTimeoutMs = 180000;
constexpr UINT kSendTimeoutMs = 60000;
// How often StartSession looks for the result.
constexpr DWORD kResultPollMs = 20;

// Seconds from a fixed point (the performance counter).
double Now();
// Status bar part `part` of another process's window.
std::string StatusText(HANDLE process, HWND statusBar, int part);
// A synchronous round trip to the window's thread.
bool Ping(HWND hwnd);
// Waits until the window and the pane have painted everything pending.
bool WaitPainted(HWND window, HWND pane);
double Median(std::vector<double> v);
// Prints "name min M median M max M n N" with the values times scale.
void PrintFigure(const char* name, const std::vector<double>& seconds, double scale);

// A started compare.exe and its text window once it shows a result.
struct Session {
  PROCESS_INFORMATION process{};
  HWND window = nullptr;
  HWND statusBar = nullptr;
  HWND pane = nullptr;
  double windowSeconds = 0;      // start to a visible text window
  double firstPaintSeconds = 0;  // start to the painted result
  std::string status;            // status part 3 then
};
// Starts exe on the two files and waits for the painted result ("Diffs:"
// in the status bar: the pair must differ). False when none came in time.
bool StartSession(const std::string& exe, const std::string& left, const std::string& right,
                  Session* session);
// Closes the window (WM_CLOSE), waits for the process, ends it otherwise;
// with kill the process is ended at once (a modified window would ask).
void EndSession(Session* session, bool kill = false);

}  // namespace qm::bench
