#include "controls/res_string.h"

#include <vector>

#include "controls/module_instance.h"

namespace qm {

std::string LoadResString(UINT id) {
  // LoadString with a zero length gives a read-only pointer to the string
  // itself in the wide resource; the A call needs a buffer, so grow one.
  std::vector<char> buffer(256);
  for (;;) {
    const int n = LoadStringA(ModuleInstance(), id, buffer.data(), static_cast<int>(buffer.size()));
    if (n <= 0) return std::string();
    if (static_cast<size_t>(n) < buffer.size() - 1) return std::string(buffer.data(), n);
    if (buffer.size() >= 65536) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 4);
  }
}

std::string FormatString(const std::string& format, std::initializer_list<DWORD_PTR> inserts) {
  std::vector<DWORD_PTR> args(inserts);
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      format.c_str(), 0, 0, reinterpret_cast<char*>(&text), 0,
      reinterpret_cast<va_list*>(args.data()));
  if (n == 0 || !text) return std::string();
  std::string result(text, n);
  LocalFree(text);
  return result;
}

std::string FormatResString(UINT id, std::initializer_list<DWORD_PTR> inserts) {
  const std::string format = LoadResString(id);
  if (format.empty() || inserts.size() == 0) return format;
  std::string text = FormatString(format, inserts);
  return text.empty() ? format : text;
}

}  // namespace qm
