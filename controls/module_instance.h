// The module this code is linked into: the executable for compare.exe and
// its tests, the DLL for a component linked into one. Its resources
// (strings, menus, dialogs, bitmaps, icons) are the ones the code loads, and
// its window classes are registered under it. GetModuleHandle(nullptr)
// would name the process's executable instead, which inside a DLL is
// somebody else's program.
#pragma once

#include <windows.h>

namespace qm {

// Never null: the linker places the module's own header at this address.
HINSTANCE ModuleInstance();

}  // namespace qm
