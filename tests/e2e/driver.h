// Drives a running compare.exe from outside, as a user would: starts it with
// CreateProcess, finds its windows by process id, sends it commands and keys,
// answers its message boxes and reads what it shows (title, status bar
// parts, control texts, tool-bar button states).
//
// Every test starts from a clean registry key and its own temporary folder;
// the program is killed when the Program object goes out of scope, so a
// failing test never leaves a window behind for the next one.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qm::e2e {

// The settings key every test starts without.
constexpr const char* kSettingsKey = "SOFTWARE\\Ambervale\\Quillmere\\Settings";

// Deletes the settings key and turns the start-up tips off, so the program
// opens straight into its window.
void ResetSettings();
void SetSetting(const char* name, const std::string& text);  // REG_SZ
void SetSetting(const char* name, DWORD value);                // REG_DWORD
// Empty when the value is absent or not a string.
std::string GetSettingText(const char* name);
bool HasSetting(const char* name);

// A folder of its own under the temporary folder, removed with its files.
class TempDir {
public:
  explicit TempDir(const std::string& tag);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  // Writes bytes exactly as given; returns the full path.
  std::string Write(const std::string& name, const std::string& bytes) const;
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

private:
  std::string path_;
};

std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);

// Where compare.exe lives: beside the test program.
std::string ProgramPath();

class Program {
public:
  Program() = default;
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Starts compare.exe with the argument text (already quoted as needed).
  bool Start(const std::string& args);
  // The first visible top-level window of the class, waiting up to timeoutMs.
  HWND WaitWindow(const char* className, DWORD timeoutMs = 10000) const;
  std::vector<HWND> Windows(const char* className) const;
  // A message box: a "#32770" window that holds the static 0xFFFF.
  HWND WaitMessageBox(DWORD timeoutMs = 10000) const;
  HWND FindMessageBox() const;
  // A dialog (any "#32770") whose title is title.
  HWND WaitDialog(const char* title, DWORD timeoutMs = 10000) const;
  // Answers a message box with a button (IDOK, IDYES, ...); returns its text.
  std::string Answer(HWND box, int button) const;
  // Waits for the message box, returns its text and answers it.
  std::string AnswerNext(int button, DWORD timeoutMs = 10000) const;
  bool WaitExit(DWORD timeoutMs = 10000);
  // The exit code of a program that has ended; false while it runs.
  bool ExitCode(DWORD* code) const;
  bool Running() const;
  void Kill();
  DWORD Id() const { return info_.dwProcessId; }
  // Waits until the program has processed everything sent so far.
  void Settle(HWND window) const;

private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

// The main window of a text comparison and what can be read from it.
class TextWindowProbe {
public:
  TextWindowProbe(const Program& program, HWND window) : program_(program), window_(window) {}
  HWND Handle() const { return window_; }
  std::string Title() const;
  std::string StatusPart(int part) const;
  std::string NameText(int side) const;            // the name box's text
  void SetNameText(int side, const std::string& text) const;
  // WM_COMMAND sent (waits) or posted (for commands that open a modal box).
  void Send(int command) const;
  void Post(int command) const;
  void Key(UINT virtualKey) const;                 // posted key press
  // A key pressed with a modifier held (VK_CONTROL, VK_SHIFT), as real
  // input to the focused control: the window is brought to the front first.
  // A posted message cannot carry the modifier's state.
  void Chord(UINT modifier, UINT virtualKey) const;
  void CtrlKey(UINT virtualKey) const { Chord(VK_CONTROL, virtualKey); }
  // A WM_COMMAND as a tool-bar button sends it (lParam the tool bar).
  void ToolBarClick(int command) const;
  // The horizontal scroll bar of a side and what it shows (SIF_ALL).
  HWND HorizontalBar(int side) const;
  SCROLLINFO HorizontalScroll(int side) const;
  bool ToolButtonEnabled(int command) const;
  bool ChildVisible(int id) const;

private:
  const Program& program_;
  HWND window_;
};

std::string WindowText(HWND window);
// The text of a message box, line breaks as LF.
std::string MessageBoxText(HWND box);

// Saves the screen area of a window as a PNG under the build tree's
// screenshots folder; returns the path written or empty.
std::string SaveScreenshot(HWND window, const std::string& name);
// The build tree's screenshots folder, created when missing; other files
// kept for a person to look at go there too.
std::string ScreenshotFolder();

// Polls a condition every 20 ms up to timeoutMs.
template <typename F>
bool WaitFor(F condition, DWORD timeoutMs = 10000) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
}

}  // namespace qm::e2e
