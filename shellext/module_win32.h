// The module side of pairlaunch.dll: its instance handle (every resource
// of the DLL is loaded through it, never through the host's), the count of
// live objects and locks that DllCanUnloadNow reads, and the class id.
#pragma once

#include <windows.h>

#include <string>

namespace qm::shellext {

// {1dc5d4e2-06bb-416c-9fd3-c7f19202ad34}
extern const CLSID kContextMenuClsid;

HINSTANCE ModuleInstance();

// Interlocked: COM may ask DllCanUnloadNow from another thread.
void AddModuleReference();
void ReleaseModuleReference();
bool ModuleInUse();

// A string of the DLL's string table; empty when it is missing.
std::wstring LoadModuleString(UINT id);

}  // namespace qm::shellext
