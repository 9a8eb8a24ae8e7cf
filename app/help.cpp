#include "app/help.h"

#include <windows.h>

#include "app/registry.h"
#include "common/paths.h"

namespace qm {

namespace {

using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
constexpr UINT kDisplayTopic = 0;  // HH_DISPLAY_TOPIC
constexpr WORD kHtmlHelpAOrdinal = 14;

// The HTML Help control's registered in-process server, else its usual name.
HMODULE LoadHtmlHelpLibrary() {
  const auto server = ReadRegString(HKEY_CLASSES_ROOT,
                                    "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32",
                                    "");
  if (server && !server->empty()) {
    if (HMODULE module = LoadLibraryA(server->c_str())) return module;
  }
  return LoadLibraryA("hhctrl.ocx");
}

HtmlHelpFn HtmlHelpEntry() {
  static bool tried = false;
  static HtmlHelpFn entry = nullptr;
  if (!tried) {
    tried = true;
    if (HMODULE module = LoadHtmlHelpLibrary()) {
      entry = reinterpret_cast<HtmlHelpFn>(
          reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(kHtmlHelpAOrdinal))));
    }
  }
  return entry;
}

}  // namespace

std::string HelpPath(const std::string& installDir, const char* topic) {
  // A folder of backslashes only is no folder.
  if (installDir.find_first_not_of('\\') == std::string::npos) return std::string();
  std::string path = JoinPath(installDir, "manual.chm");
  if (topic && *topic) {
    path += "::/";
    path += topic;
  }
  return path;
}

void ShowHelp(const char* topic) {
  const std::string dir = InstallDir();
  const std::string file = HelpPath(dir, nullptr);
  if (file.empty() || GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  HtmlHelpFn entry = HtmlHelpEntry();
  if (!entry) return;
  entry(nullptr, HelpPath(dir, topic).c_str(), kDisplayTopic, 0);
}

}  // namespace qm
