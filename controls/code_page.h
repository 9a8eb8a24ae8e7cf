// The legacy code page: the single-byte code page of text from before the
// program ran in UTF-8. The program's own code page is UTF-8 (its manifest
// asks for it, so GetACP says 65001); files, settings and names from
// earlier releases are in the system's default ANSI code page, which this
// header names and converts from.
#pragma once

#include <windows.h>

#include <string>

namespace qm {

// Bytes a path of MAX_PATH characters may take in the program's UTF-8: at
// most three a character (a character beyond the BMP takes four bytes but
// two of the MAX_PATH UTF-16 units), and the terminator.
constexpr DWORD kMaxPathBytes = MAX_PATH * 3 + 1;

// The system's default ANSI code page (LOCALE_IDEFAULTANSICODEPAGE of the
// system locale); 1252 when the locale names none, names UTF-8 or names a
// code page the system cannot convert.
UINT LegacyCodePage();

// The character of each byte in the legacy code page; bytes the code page
// leaves undefined map to themselves (as Latin-1 would have them). Built
// once, shared, read-only.
const wchar_t* LegacyCharTable();

// text unchanged when it is well-formed UTF-8, else converted from the
// legacy code page, byte by byte, to UTF-8.
std::string Utf8FromLegacy(const std::string& text);

// UTF-8 and UTF-16, for the W functions (a malformed sequence becomes the
// replacement character).
std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const wchar_t* text, size_t count);

}  // namespace qm
