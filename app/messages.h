// Texts for the user: strings from the string table, formatted with
// FormatMessage-style inserts ("%1", "%2!ld!"), and message boxes whose
// caption is string 1, the product name.
//
// Inserts are passed as DWORD_PTR values: a const char* for "%n", a number
// for "%n!ld!".
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace qm {

// The string with that id from the module's string table, empty when absent.
std::string LoadResString(UINT id);
// The string formatted with the inserts; the unformatted string when the
// format fails (unknown insert, no string).
std::string FormatResString(UINT id, std::initializer_list<DWORD_PTR> inserts = {});
// The system's own message text for an error code, without the trailing
// line break; "Error n" when the system has no text for it.
std::string SystemMessage(DWORD error);
// MessageBox with string id formatted with inserts, caption string 1.
int ShowMessage(HWND owner, UINT id, UINT type, std::initializer_list<DWORD_PTR> inserts = {});

}  // namespace qm
