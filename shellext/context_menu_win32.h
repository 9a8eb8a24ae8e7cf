// The extension object: one per context menu the shell builds. Initialize
// takes the selection, QueryContextMenu adds "Compare...", InvokeCommand
// starts compare.exe with "/ctx" and the selected paths.
//
// Apartment-threaded: the shell calls one object from one thread; only the
// reference count is interlocked. The object holds a module reference for
// its lifetime and owns its menu bitmap.
#pragma once

#include <shlobj.h>
#include <windows.h>

namespace qm::shellext {

// A new object with one reference, or nullptr when memory is short.
IUnknown* NewContextMenu();

}  // namespace qm::shellext
