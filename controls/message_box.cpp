#include "controls/message_box.h"

#include "controls/module_instance.h"
#include "controls/res_string.h"
#include "engine/platform.h"
#include "resources/resource.h"

namespace qm {

std::string SystemMessage(DWORD error) {
  // Our own code for a device or pipe given as a file has no system text.
  if (error == kErrorNotDiskFile) return LoadResString(IDS_NOT_DISK_FILE);
  char* text = nullptr;
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                     FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                 nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result;
  if (n && text) {
    result.assign(text, n);
    LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) result.pop_back();
  }
  if (result.empty()) result = "Error " + std::to_string(error);
  return result;
}

int ShowMessage(HWND owner, UINT id, UINT type, std::initializer_list<DWORD_PTR> inserts) {
  const std::string text = FormatResString(id, inserts);
  const std::string caption = LoadResString(IDS_PRODUCT_NAME);
  return MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}

void ShowOutOfMemoryMessage() {
  char caption[64] = "";
  char text[512] = "";
  LoadStringA(ModuleInstance(), IDS_PRODUCT_NAME, caption, sizeof caption);
  LoadStringA(ModuleInstance(), IDS_OUT_OF_MEMORY, text, sizeof text);
  MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

}  // namespace qm
