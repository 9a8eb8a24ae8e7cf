// Texts from the string table of this module (ModuleInstance), and
// FormatMessage-style inserts ("%1", "%2!ld!") applied to them.
//
// Inserts are passed as DWORD_PTR values: a const char* for "%n", a number
// for "%n!ld!". The strings a caller passes must outlive the call.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace qm {

// The string with that id, of any length; empty when the table lacks it.
std::string LoadResString(UINT id);

// format with the inserts applied; empty when the format fails (an insert
// with no value, a malformed "!fmt!") or gives no text.
std::string FormatString(const std::string& format, std::initializer_list<DWORD_PTR> inserts);

// String id with the inserts applied; the string as it stands when there
// are no inserts or the format fails, empty when the table lacks it.
std::string FormatResString(UINT id, std::initializer_list<DWORD_PTR> inserts = {});

}  // namespace qm
