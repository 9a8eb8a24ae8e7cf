#include "controls/code_page.h"

#include <array>

#include "common/utf8.h"

namespace qm {

namespace {

constexpr UINT kFallbackCodePage = 1252;

UINT QueryLegacyCodePage() {
  wchar_t digits[8] = L"";
  if (!GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, digits, 8))
    return kFallbackCodePage;
  const UINT page = static_cast<UINT>(wcstoul(digits, nullptr, 10));
  // 0 is CP_ACP, which would now mean UTF-8 again.
  if (page == 0 || page == CP_UTF8 || !IsValidCodePage(page)) return kFallbackCodePage;
  return page;
}

std::array<wchar_t, 256> BuildTable() {
  std::array<wchar_t, 256> table{};
  const UINT page = LegacyCodePage();
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    wchar_t c = 0;
    if (MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, &byte, 1, &c, 1) != 1)
      c = static_cast<wchar_t>(b);
    table[static_cast<size_t>(b)] = c;
  }
  return table;
}

}  // namespace

UINT LegacyCodePage() {
  static const UINT page = QueryLegacyCodePage();
  return page;
}

const wchar_t* LegacyCharTable() {
  static const std::array<wchar_t, 256> table = BuildTable();
  return table.data();
}

std::string Utf8FromLegacy(const std::string& text) {
  if (IsValidUtf8(text)) return text;
  // Single-byte code pages map each byte to one BMP character.
  const wchar_t* table = LegacyCharTable();
  std::string out;
  out.reserve(text.size() * 2);
  char buf[4];
  for (const char byte : text)
    out.append(buf, PutUtf8(table[static_cast<unsigned char>(byte)], buf));
  return out;
}

std::wstring WideFromUtf8(const std::string& text) {
  std::wstring wide;
  if (text.empty()) return wide;
  const int count = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), count, nullptr, 0);
  if (size <= 0) return wide;
  wide.resize(static_cast<size_t>(size));
  MultiByteToWideChar(CP_UTF8, 0, text.data(), count, wide.data(), size);
  return wide;
}

std::string Utf8FromWide(const wchar_t* text, size_t count) {
  std::string bytes;
  if (!text || count == 0) return bytes;
  const int wide = static_cast<int>(count);
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, wide, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return bytes;
  bytes.resize(static_cast<size_t>(size));
  WideCharToMultiByte(CP_UTF8, 0, text, wide, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

}  // namespace qm
