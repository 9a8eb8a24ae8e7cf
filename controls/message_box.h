// The program's message boxes: a string-table text with FormatMessage-style
// inserts (see res_string.h) under the product name, string 1, as caption;
// the system's own text for an error code to put into them; and the
// out-of-memory box, string 48.
//
// User-interface thread only; every box is modal to its owner (or to the
// task when there is none) and returns when the user answers it.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace qm {

// The system's message text for an error code, without the trailing line
// break; "Error n" when the system has no text for it.
std::string SystemMessage(DWORD error);

// MessageBox with string id formatted with the inserts; returns what
// MessageBox returns (0 when the box could not be shown).
int ShowMessage(HWND owner, UINT id, UINT type, std::initializer_list<DWORD_PTR> inserts = {});

// The out-of-memory message, task-modal with no owner. Allocates nothing,
// so it can be shown when the heap is exhausted.
void ShowOutOfMemoryMessage();

}  // namespace qm
